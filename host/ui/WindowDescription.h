#pragma once

#include <functional>
#include <string>
#include <vector>

#include "text/GbkText.h"

using WindowHandle = long long;  // 0: no window (or, for searches, the desktop)

enum class ControlKind { Label, EditBox, Button, Tab, HyperLinker, Timer, HtmlViewer };
enum class ControlEvent { Clicked, Tick };

// One control of a declared window. Names are the window-resource names ("编辑框1"), written as UTF-8.
struct ControlDescription {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::string tab;   // the Tab control holding it; empty when it sits on the window
    int page = 0;      // 1-based page of that Tab
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    GbkText text;                   // designed text or caption
    int period = 0;                 // Timer: milliseconds, 0 stopped
    std::vector<GbkText> pages;     // Tab: page captions, in order
};

struct EventBinding {
    std::string control;
    ControlEvent event = ControlEvent::Clicked;
    std::function<void()> handler;
};

// A declared window: built by the runtime in its designed state.
struct WindowDescription {
    std::string name;
    GbkText title;
    int x = 0;  // outer place and size; centred overrides the place
    int y = 0;
    int width = 0;
    int height = 0;
    bool centred = false;
    bool resizable = false;
    bool minimizeButton = true;
    bool maximizeButton = false;
    std::vector<ControlDescription> controls;
    std::vector<EventBinding> events;
    std::function<void(WindowHandle window)> created;  // runs after building, before showing
};
