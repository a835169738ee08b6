#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWidget;

namespace ondulix::ui::qt {

// Keeps the clicks that opened a dialog from pressing one of its buttons. A double-click, or two
// quick clicks, on the button that opens a dialog sends the second click to whatever lies under
// the pointer once the dialog is up, and a dialog centred on its window can have its default
// button right there: "write file" would then save at once, replacing the proposed file without
// a look. While it lives, the guard swallows every mouse press, release and double-click aimed
// at the dialog until the platform's double-click interval has passed since the dialog appeared.
class OpeningClickGuard final : public QObject {
public:
    explicit OpeningClickGuard(QWidget& dialog);
    ~OpeningClickGuard() override;
    OpeningClickGuard(const OpeningClickGuard&) = delete;
    OpeningClickGuard& operator=(const OpeningClickGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool aimsAtDialog(const QObject* watched) const;
    bool tooSoon() const;

    QWidget& dialog_;
    QElapsedTimer sinceShown_; // started when the dialog appears
};

} // namespace ondulix::ui::qt
