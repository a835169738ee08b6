#include "ui/qt/Form1.h"

#include "export/AtomicFileStore.h"
#include "ui/MainForm.h"
#include "ui/qt/Form1Fonts.h"
#include "ui/qt/QtCheckBox.h"
#include "ui/qt/QtLabel.h"
#include "ui/qt/QtMessageBox.h"
#include "ui/qt/QtSaveDialog.h"
#include "ui/qt/QtSurface.h"
#include "ui/qt/QtTextBox.h"
#include "ui/qt/QtTimer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cassert>

namespace ondulix::ui::qt {
namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor toQColor(toolkit::Colour c) { return QColor(c.red, c.green, c.blue); }

// A PNG image read by Qt's own reader. An image reader left to recognise the format loads every
// image format plugin (GIF, ICO, JPEG and its library) to ask each of them first, a good part
// of the window's start-up.
QPixmap builtInPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The one conversion from the layout's twips to logical pixels.
QRect toPixels(const TwipRect& r) {
    return {r.left / kTwipsPerPixel, r.top / kTwipsPerPixel, r.width / kTwipsPerPixel, r.height / kTwipsPerPixel};
}

// The pixels a line control covers: a pen of its width centred on the line and running half a
// pen past both ends, so that a 2-pixel rule along a box's edge shows one pixel outside the box.
// The layout's lines are all horizontal or vertical.
QRect toPixels(const TwipLine& l) {
    const int x1 = std::min(l.x1, l.x2) / kTwipsPerPixel;
    const int x2 = std::max(l.x1, l.x2) / kTwipsPerPixel;
    const int y1 = std::min(l.y1, l.y2) / kTwipsPerPixel;
    const int y2 = std::max(l.y1, l.y2) / kTwipsPerPixel;
    const int half = l.widthPx / 2;
    return {x1 - half, y1 - half, x2 - x1 + l.widthPx, y2 - y1 + l.widthPx};
}

// Windowed controls cover everything on the window background, and the lines cover the labels:
// sibling widgets stack in the order they are created.
int stackingLayer(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return 0;
    case ControlKind::Line:
        return 1;
    default:
        return 2;
    }
}

using TextBoxArray = toolkit::ControlArray<toolkit::TextBox> engine::ParameterBoxes::*;
using SingleTextBox = toolkit::TextBox* engine::ParameterBoxes::*;

constexpr std::pair<std::string_view, TextBoxArray> kTextBoxArrays[] = {
    {"txtSinLen", &engine::ParameterBoxes::txtSinLen},       {"txtSinOffs", &engine::ParameterBoxes::txtSinOffs},
    {"txtSinWaves", &engine::ParameterBoxes::txtSinWaves},   {"txtSinMin", &engine::ParameterBoxes::txtSinMin},
    {"txtSinMax", &engine::ParameterBoxes::txtSinMax},       {"txtSinOrigin", &engine::ParameterBoxes::txtSinOrigin},
    {"txtSinRange", &engine::ParameterBoxes::txtSinRange},   {"txtSinSpeed", &engine::ParameterBoxes::txtSinSpeed},
};
constexpr std::pair<std::string_view, SingleTextBox> kSingleTextBoxes[] = {
    {"txtPrvXmax", &engine::ParameterBoxes::txtPrvXmax},
    {"txtPrvYmin", &engine::ParameterBoxes::txtPrvYmin},
    {"txtPrvYmax", &engine::ParameterBoxes::txtPrvYmax},
};

} // namespace

Form1::Form1(Form1Services services, QWidget* parent) : QWidget(parent, Qt::Window) {
    createControls();
    FormControls controls = createBackend();
    logic_ = std::make_unique<MainForm>(controls, createServices(std::move(services)));
    connectButtons();
    // Start-up runs before the window is first shown, so it opens with every box and plot filled.
    logic_->Form_Load();
    setWindowState(Qt::WindowNoState);
}

Form1::~Form1() {
    if (timer_)
        timer_->stop();
}

void Form1::createControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(fromUtf8(windowCaption()));
    // A fixed window with a close and a minimise button, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);
    QIcon icon;
    icon.addPixmap(builtInPng(QStringLiteral(":/ondulix/icons/ondulix-16.png")));
    icon.addPixmap(builtInPng(QStringLiteral(":/ondulix/icons/ondulix-32.png")));
    setWindowIcon(icon);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kFormBack));
    palette.setColor(QPalette::WindowText, toQColor(kFormFore));
    setPalette(palette);
    setAutoFillBackground(true);

    const Form1Fonts fonts = Form1Fonts::choose();
    setFont(fonts.dialog);

    for (int layer = 0; layer <= 2; ++layer) {
        for (const LayoutItem& item : kForm1Layout) {
            if (stackingLayer(item.kind) != layer)
                continue;
            if (QWidget* widget = createWidget(item)) {
                widget->setObjectName(fromUtf8(controlName(item)));
                widget->setFont(fonts.forControl(item));
            }
        }
    }
    createTimerAndDialog();
    setTabOrder();
    centreOnScreen();
}

QWidget* Form1::createWidget(const LayoutItem& item) {
    const QString text = fromUtf8(item.caption);
    switch (item.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        // Labels are opaque; without colours of their own they take the platform's button face,
        // which makes the two header bands light.
        const QPalette standard = QApplication::palette();
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, item.back ? toQColor(*item.back) : standard.color(QPalette::Button));
        palette.setColor(QPalette::WindowText, item.fore ? toQColor(*item.fore) : standard.color(QPalette::ButtonText));
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        label->setGeometry(toPixels(item.rect));
        return label;
    }
    case ControlKind::Line: {
        auto* line = new QWidget(this);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::WindowText));
        line->setPalette(palette);
        line->setAutoFillBackground(true);
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
        line->setGeometry(toPixels(item.line));
        return line;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(text, this);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // numbers line up by their last digit
        edit->setGeometry(toPixels(item.rect));
        return edit;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(this);
        box->setChecked(item.checked);
        QPalette palette = box->palette();
        // A button fills its background with the button colour, not the window colour.
        palette.setColor(box->backgroundRole(), toQColor(item.back.value_or(kFormBack)));
        palette.setColor(QPalette::WindowText, toQColor(item.fore.value_or(kFormFore)));
        box->setPalette(palette);
        box->setAutoFillBackground(true);
        box->setGeometry(toPixels(item.rect));
        return box;
    }
    case ControlKind::PictureBox: {
        auto* surface = new QtSurface(item.back.value_or(toolkit::kDarkGrey), item.scale, item.sunkenBorder, this);
        // The plots are pictures only; the preview takes its place in the tab order.
        surface->setFocusPolicy(item.sunkenBorder ? Qt::TabFocus : Qt::NoFocus);
        surface->setGeometry(toPixels(item.rect));
        return surface;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        button->setGeometry(toPixels(item.rect));
        return button;
    }
    case ControlKind::Timer:
    case ControlKind::CommonDialog:
        break;
    }
    return nullptr;
}

void Form1::createTimerAndDialog() {
    for (const LayoutItem& item : kForm1Layout) {
        if (item.kind == ControlKind::Timer) {
            timer_ = new QtTimer(item.intervalMs, this);
            timer_->setObjectName(fromUtf8(controlName(item)));
        } else if (item.kind == ControlKind::CommonDialog) {
            commonDialog_ = new QtSaveDialog(this);
            commonDialog_->setObjectName(fromUtf8(controlName(item)));
        }
    }
    assert(timer_ && commonDialog_ && "the layout table names Timer1 and CommonDialog");
}

void Form1::setTabOrder() {
    std::vector<const LayoutItem*> order;
    for (const LayoutItem& item : kForm1Layout)
        if (item.tabIndex >= 0)
            order.push_back(&item);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });

    QWidget* previous = nullptr;
    for (const LayoutItem* item : order) {
        auto* widget = control<QWidget>(controlName(*item));
        if (!widget || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else
            widget->setFocus(); // the first control that takes focus has it when the window opens
        previous = widget;
    }
}

FormControls Form1::createBackend() {
    FormControls controls;
    for (const LayoutItem& item : kForm1Layout) {
        const std::string name = controlName(item);
        const auto at = static_cast<std::size_t>(std::max(item.index, 0));
        switch (item.kind) {
        case ControlKind::TextBox: {
            auto* box = new QtTextBox(*control<QLineEdit>(name)); // owned by its line edit
            for (const auto& [arrayName, member] : kTextBoxArrays)
                if (item.name == arrayName)
                    (controls.boxes.*member)[at] = box;
            for (const auto& [boxName, member] : kSingleTextBoxes)
                if (item.name == boxName)
                    controls.boxes.*member = box;
            break;
        }
        case ControlKind::CheckBox:
            checkBoxes_.push_back(std::make_unique<QtCheckBox>(*control<QCheckBox>(name)));
            controls.checkSin[at] = checkBoxes_.back().get();
            break;
        case ControlKind::PictureBox:
            if (item.name == "picPreview")
                controls.picPreview = &preview();
            else
                controls.SinusPic[at] = &plot(item.index);
            break;
        case ControlKind::Label:
            if (item.name == "lblpeakhigh" || item.name == "lblpeaklow") {
                labels_.push_back(std::make_unique<QtLabel>(*control<QLabel>(name)));
                (item.name == "lblpeakhigh" ? controls.lblpeakhigh : controls.lblpeaklow) = labels_.back().get();
            }
            break;
        case ControlKind::Timer:
            controls.Timer1 = timer_;
            break;
        default:
            break;
        }
    }
    return controls;
}

FormServices Form1::createServices(Form1Services services) {
    FormServices form;
    form.saveDialog = services.saveDialog ? services.saveDialog : commonDialog_;
    if (!services.messageBox)
        ownMessageBox_ = std::make_unique<QtMessageBox>(this);
    form.messageBox = services.messageBox ? services.messageBox : ownMessageBox_.get();
    if (!services.fileStore)
        ownFileStore_ = std::make_unique<exporter::AtomicFileStore>();
    form.fileStore = services.fileStore ? services.fileStore : ownFileStore_.get();
    form.programFolder = services.programFolder ? *services.programFolder
                                                : QCoreApplication::applicationDirPath().toStdString();
    quitApplication_ = services.quitApplication ? std::move(services.quitApplication) : [] {
        QCoreApplication::exit(0);
    };
    form.endProgram = [this] { endProgram(); };
    return form;
}

void Form1::connectButtons() {
    connect(control<QPushButton>("Command1"), &QPushButton::clicked, this, [this] { logic_->Command1_Click(); });
    connect(control<QPushButton>("Command2"), &QPushButton::clicked, this, [this] { logic_->Command2_Click(); });
    connect(control<QPushButton>("Command3"), &QPushButton::clicked, this, [this] { logic_->Command3_Click(); });
    connect(control<QPushButton>("cmdQuit"), &QPushButton::clicked, this, [this] { logic_->cmdQuit_Click(); });
}

void Form1::centreOnScreen() {
    if (const QScreen* screen = this->screen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

QObject* Form1::control(std::string_view name) const {
    const QString wanted = fromUtf8(name);
    if (objectName() == wanted)
        return const_cast<Form1*>(this);
    return findChild<QObject*>(wanted, Qt::FindDirectChildrenOnly);
}

QtSurface& Form1::plot(int table) const {
    auto* surface = control<QtSurface>("SinusPic(" + std::to_string(table) + ")");
    assert(surface && "SinusPic takes a table index from 0 to 3");
    return *surface;
}

QtSurface& Form1::preview() const { return *control<QtSurface>("picPreview"); }

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first tick comes after start-up, once the window is on the screen.
    if (!ended_ && !timer_->timer().isActive())
        timer_->start();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing never asks and is never refused.
    event->accept();
    if (!ended_)
        logic_->Form_Unload();
}

void Form1::endProgram() {
    // At once: no further tick or event of this window is handled.
    if (ended_)
        return;
    ended_ = true;
    timer_->stop();
    hide();
    quitApplication_();
}

} // namespace ondulix::ui::qt
