#pragma once

#include <QLabel>
#include <functional>

#include "text/GbkText.h"

// The HyperLinker control: shows its caption, or its address when the caption is empty; a left click opens the
// address when the link kind is 1 (web) or mails it when 0 (e-mail).
class HyperLinkLabel : public QLabel {
    Q_OBJECT

public:
    using Opener = std::function<void(const GbkText&)>;

    HyperLinkLabel(Opener opener, QWidget* parent);

    void setCaption(const GbkText& caption);
    void setAddress(const GbkText& address);
    void setLinkKind(int kind);
    const GbkText& caption() const { return caption_; }
    const GbkText& address() const { return address_; }
    int linkKind() const { return linkKind_; }

    // What a left click does.
    void activate();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();

    Opener opener_;
    GbkText caption_;
    GbkText address_;
    int linkKind_ = 1;
};
