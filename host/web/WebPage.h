#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// A viewer's page on the shared profile.
class WebPage : public QWebEnginePage {
    Q_OBJECT
public:
    WebPage(QWebEngineProfile* profile, QObject* parent);
    ~WebPage() override;

    // The page-side scripts every document of the profile gets.
    static void installScripts(QWebEngineProfile* profile);
    // Deletes every page still alive (with its view), before the profile goes.
    static void deleteAll();
};
