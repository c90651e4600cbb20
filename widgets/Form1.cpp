#include "Form1.h"

#include "PictureGeometry.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace levyc {

namespace {

constexpr int ClientWidthTwips = 11985;
constexpr int ClientHeightTwips = 6900;

template <typename Control> Control *Place(Control *control, const char *name, QRect geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QPushButton *CommandButton(QWidget *parent, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    // Enter presses a focused button as Space does; outside a dialog that makes
    // no button the default.
    button->setAutoDefault(true);
    return button;
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , Picture1(Place(new PictureBox(this), "Picture1", Picture1Geometry))
    , plotter_(*Picture1)
    , commands_(*Picture1, plotter_)
{
    setWindowTitle(QStringLiteral("Form1"));
    resize(ClientWidthTwips / TwipsPerPixel, ClientHeightTwips / TwipsPerPixel);

    auto *command1 = Place(CommandButton(this, QStringLiteral("描画")), "Command1", FromTwips(9600, 120, 1095, 375));
    auto *label1 = Place(new QLabel(QStringLiteral("形式1最大値"), this), "Label1", FromTwips(9120, 720, 1095, 255));
    auto *label2 = Place(new QLabel(QStringLiteral("表示最大値"), this), "Label2", FromTwips(9120, 1200, 1095, 255));
    auto *text1 = Place(new QLineEdit(QStringLiteral("60"), this), "Text1", FromTwips(10200, 600, 615, 375));
    auto *text2 = Place(new QLineEdit(QStringLiteral("90"), this), "Text2", FromTwips(10200, 1080, 615, 375));
    auto *command3 =
        Place(CommandButton(this, QStringLiteral("描画中止")), "Command3", FromTwips(9480, 2760, 1215, 375));
    // Each label reaches one pixel into its field; the field is drawn over it.
    label1->lower();
    label2->lower();

    setTabOrder(Picture1, command1);
    setTabOrder(command1, text1);
    setTabOrder(text1, text2);
    setTabOrder(text2, command3);
    Picture1->setFocus();

    connect(command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);
}

Form1::~Form1() = default;

void Form1::Command1_Click()
{
    commands_.Command1_Click();
    if (closeWhenIdle_ && !commands_.Running()) {
        // Close from the event loop, with no drawing left on the stack.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void Form1::Command3_Click()
{
    commands_.Command3_Click();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (commands_.Running()) {
        // The runs still on the stack draw on this window: let them end first.
        closeWhenIdle_ = true;
        commands_.Abandon();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace levyc
