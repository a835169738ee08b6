#include "ui/qt/QtMessageBox.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>

namespace ondulix::ui::qt {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::unique_ptr<QMessageBox> QtMessageBox::build(QWidget* parent, std::string_view title, std::string_view text) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::NoIcon);
    box->setWindowTitle(fromUtf8(title));
    box->setTextFormat(Qt::PlainText);
    // The texts use CR LF line breaks; a label breaks lines at LF alone.
    box->setText(fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    return box;
}

void QtMessageBox::show(std::string_view title, std::string_view text) {
    build(parent_, title, text)->exec();
}

} // namespace ondulix::ui::qt
