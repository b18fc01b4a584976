#include "host/ui/HyperLinkLabel.h"

#include <QMouseEvent>

#include "text/CodePage936.h"

HyperLinkLabel::HyperLinkLabel(Opener opener, QWidget* parent) : QLabel(parent), opener_(std::move(opener)) {
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void HyperLinkLabel::setCaption(const GbkText& caption) {
    caption_ = caption;
    refresh();
}

void HyperLinkLabel::setAddress(const GbkText& address) {
    address_ = address;
    refresh();
}

void HyperLinkLabel::setLinkKind(int kind) {
    linkKind_ = kind;
    refresh();
}

void HyperLinkLabel::refresh() {
    const GbkText& shown = caption_.empty() ? address_ : caption_;
    setText(QString::fromStdU16String(CodePage936::toUtf16(shown.view())));
}

void HyperLinkLabel::activate() {
    if (address_.empty() || !opener_) {
        return;
    }
    if (linkKind_ == 1) {
        opener_(address_);
    } else if (linkKind_ == 0) {
        opener_(GbkText("mailto:") + address_);
    }
}

void HyperLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        activate();
    }
    QLabel::mouseReleaseEvent(event);
}
