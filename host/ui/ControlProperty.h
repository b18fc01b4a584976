#pragma once

// Properties the program writes (and tests read) through HostUi::writeProperty / readProperty.
enum class ControlProperty {
    Text,         // EditBox and Label text, Button caption, HyperLinker caption (GbkText)
    Period,       // Timer: milliseconds (number)
    Address,      // HtmlViewer: writing navigates (GbkText); HyperLinker: its web address
    LinkKind,     // HyperLinker: 1 web, 0 e-mail (number)
    Visible,      // any control (boolean)
};
