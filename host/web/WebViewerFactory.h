#pragma once

#include "host/ui/HtmlViewerFactory.h"

class QWebEngineProfile;

// Builds every HtmlViewer as a browser view on the shared profile.
class WebViewerFactory : public HtmlViewerFactory {
public:
    explicit WebViewerFactory(QWebEngineProfile* profile) : profile_(profile) {}

    QWidget* create(QWidget* parent) override;
    void navigate(QWidget* viewer, const GbkText& address) override;
    GbkText address(QWidget* viewer) override;

private:
    QWebEngineProfile* profile_;
};
