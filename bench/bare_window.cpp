// What any Qt window with Form1's title, size and captions costs to start:
// the yardstick for levyc's own start-up. Nothing of levyc is linked.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace {

template <typename Control> Control *At(Control *control, int left, int top, int width, int height)
{
    constexpr int TwipsPerPixel = 15;
    control->setGeometry(left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel);
    return control;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Form1"));
    window.resize(11985 / 15, 6900 / 15);
    auto *picture = At(new QFrame(&window), 240, 120, 8655, 6255);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    At(new QPushButton(QStringLiteral("描画"), &window), 9600, 120, 1095, 375);
    At(new QLabel(QStringLiteral("形式1最大値"), &window), 9120, 720, 1095, 255);
    At(new QLabel(QStringLiteral("表示最大値"), &window), 9120, 1200, 1095, 255);
    At(new QLineEdit(QStringLiteral("60"), &window), 10200, 600, 615, 375);
    At(new QLineEdit(QStringLiteral("90"), &window), 10200, 1080, 615, 375);
    At(new QPushButton(QStringLiteral("描画中止"), &window), 9480, 2760, 1215, 375);
    window.show();
    return QApplication::exec();
}
