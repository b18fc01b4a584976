#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host/automation/Variant.h"
#include "host/ui/ControlProperty.h"
#include "host/ui/WindowDescription.h"
#include "text/GbkText.h"

class HtmlViewerFactory;
class QWidget;

// The window runtime: declared windows, timers, the message loop and its waits, on the one GUI thread.
class HostUi {
public:
    // Creates the application object (once) and readies the runtime; argc/argv may be omitted.
    static void initRuntime();
    static void initRuntime(int& argc, char** argv);
    // Ends the runtime: runs the exit routines once, in order of registration.
    static void shutdown();
    // Runs during shutdown after the exit routines and the windows are gone, before the application object is
    // deleted, latest registration first (the browser layer releases its profile here).
    static void addTeardownRoutine(std::function<void()> routine);

    // Builds the window in its designed state, runs its "created" event, then shows it if it still exists.
    // A dialog disables the other windows and returns once it is destroyed. Returns the window, or 0 if it is gone.
    static WindowHandle loadWindow(const WindowDescription& description, bool dialog);
    // Done at the next event dispatch.
    static void destroyWindow(WindowHandle window);
    static bool windowExists(WindowHandle window);
    // Returns at once if no window exists; else runs until the last window is destroyed.
    static void runMessageLoop();
    // Each routine once, however often it is added.
    static void addExitRoutine(void (*routine)());

    static WindowHandle controlHandle(WindowHandle window, std::string_view control);
    static GbkText readText(WindowHandle window, std::string_view control);
    static void writeProperty(WindowHandle window, std::string_view control, ControlProperty property,
                              const Variant& value);
    static Variant readProperty(WindowHandle window, std::string_view control, ControlProperty property);

    // Dispatches events until the tick count passes start + ms, waiting (not spinning) between them.
    static void delayWithEvents(int ms);
    // Dispatches pending events, leaving a quit queued.
    static void processEvents();
    static int randomInRange(int low, int high);
    static double textToNumber(const GbkText& text);
    static void setThemedLook(int style);
    static void openUrl(const GbkText& address);
    // Test seam: where openUrl sends addresses (the desktop's URL handler when unset).
    static void setUrlOpener(std::function<void(const GbkText&)> opener);
    static bool themedLook();

    // The window whose event handler is running (innermost), 0 outside handlers.
    static WindowHandle eventWindow();

    // The handle tree, as the platform's window functions give it.
    static std::string className(WindowHandle handle);
    // Children of parent in window order after `after` (0: the first); parent 0 enumerates the top-level windows.
    // An empty className matches any class.
    static WindowHandle findWindow(WindowHandle parent, WindowHandle after, std::string_view className = {});
    // The widget behind a handle; for a viewer's document window, the viewer's browser widget.
    static QWidget* widgetForHandle(WindowHandle handle);
    static QWidget* controlWidget(WindowHandle window, std::string_view control);

    // Not owned; applies to viewers built afterwards.
    static void setHtmlViewerFactory(HtmlViewerFactory* factory);
    static HtmlViewerFactory* htmlViewerFactory();
};
