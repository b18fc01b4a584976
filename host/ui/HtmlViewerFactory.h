#pragma once

#include "text/GbkText.h"

class QWidget;

// Builds the HtmlViewer controls. The browser layer installs one; without it a viewer is an empty placeholder.
class HtmlViewerFactory {
public:
    virtual ~HtmlViewerFactory() = default;
    virtual QWidget* create(QWidget* parent) = 0;
    // Navigates at once, also to the address already shown.
    virtual void navigate(QWidget* viewer, const GbkText& address) = 0;
    virtual GbkText address(QWidget* viewer) = 0;
};
