#include "drawing/PictureSize.h"
#include "views/OverlayText.h"
#include "views/OverviewPlacement.h"
#include "views/ViewText.h"
#include "world/PictureWorld.h"

#include <QtTest>

using namespace levyc;

Q_DECLARE_METATYPE(levyc::WorldWindow)

namespace {

// The view `zoom` times closer than the Draw's, of its shape, about (x, y).
WorldWindow ViewAt(double x, double y, double zoom)
{
    const double w = 810 / zoom / 2;
    const double h = 910 / zoom / 2;
    return {x - w, y + h, x + w, y - h};
}

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

private slots:
    void overlayText_data();
    void overlayText();
    void viewsAPixelApartReadApart_data();
    void viewsAPixelApartReadApart();
    void overview_data();
    void overview();
    void oneZoomAtAnySize_data();
    void oneZoomAtAnySize();
};

void TestOverlay::overlayText_data()
{
    QTest::addColumn<WorldWindow>("view");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<QString>("centre");
    QTest::newRow("the Draw's view") << PictureWorld << "×1"
                                     << "105, -45";
    QTest::newRow("one notch") << ViewAt(105, -45, 1.25) << "×1.25"
                               << "105, -45";
    QTest::newRow("zoomed out") << ViewAt(105, -45, 0.5) << "×0.5"
                                << "105, -45";
    QTest::newRow("rounds up to a power") << ViewAt(1, 2, 999.7) << "×1e3"
                                          << "1.000, 2.000";
    QTest::newRow("a million") << ViewAt(12.3456789012, -45.6789, 1.2e6) << "×1.2e6"
                               << "12.345679, -45.678900";
    QTest::newRow("the widest") << WorldWindow{-5e6, 5e6, 5e6, -5e6} << "×8.1e-5"
                                << "0, 0";
    QTest::newRow("no minus nought") << ViewAt(-0.001, 0.0004, 1) << "×1"
                                     << "0, 0";
    QTest::newRow("the deepest") << ViewAt(300.000000000123456, -400.000000000678901, 7.7e12) << "×7.7e12"
                                 << "300.0000000001235, -400.0000000006789";
}

void TestOverlay::overlayText()
{
    QFETCH(WorldWindow, view);
    QFETCH(QString, zoom);
    QFETCH(QString, centre);
    const OverlayText text(view, PictureSize);
    QCOMPARE(text.ZoomText(), zoom);
    QCOMPARE(text.CentreText(), centre);
}

void TestOverlay::viewsAPixelApartReadApart_data()
{
    QTest::addColumn<double>("zoom");
    for (const double zoom : {1.0, 3.7, 1e3, 2.5e6, 1e9, 7.7e12}) {
        QTest::addRow("x%g", zoom) << zoom;
    }
}

void TestOverlay::viewsAPixelApartReadApart()
{
    QFETCH(double, zoom);
    const WorldWindow here = ViewAt(123.456789012345, -67.890123456789, zoom);
    const double across = here.Width() / PictureSize.width();
    const double down = here.Height() / PictureSize.height();
    const WorldWindow right{here.Left + across, here.Top, here.Right + across, here.Bottom};
    const WorldWindow below{here.Left, here.Top + down, here.Right, here.Bottom + down};
    const QString text = OverlayText(here, PictureSize).CentreText();
    QVERIFY(text != OverlayText(right, PictureSize).CentreText());
    QVERIFY(text != OverlayText(below, PictureSize).CentreText());
    // And no more digits than that needs: a tenth of a pixel may read the same.
    QVERIFY(std::pow(10, -OverlayText(here, PictureSize).Decimals()) > std::abs(across) / 10);
}

void TestOverlay::overview_data()
{
    QTest::addColumn<WorldWindow>("view");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QRectF>("mark");
    QTest::addColumn<bool>("cross");
    // At 573x413 the overview is 143x103, 6 pixels in from the bottom-right corner.
    const QRectF frame(424, 304, 143, 103);
    QTest::newRow("the Draw's view: none") << PictureWorld << false << frame << false;
    QTest::newRow("x4: none yet") << ViewAt(105, -45, 4) << false << QRectF(477.625, 342.625, 35.75, 25.75) << false;
    QTest::newRow("x8 at the centre") << ViewAt(105, -45, 8) << true << QRectF(486.5625, 349.0625, 17.875, 12.875)
                                      << false;
    QTest::newRow("x8 at the top-left corner")
        << ViewAt(-300, 410, 8) << true << QRectF(424 - 8.9375, 304 - 6.4375, 17.875, 12.875) << false;
    QTest::newRow("x40: wide enough, too low: a cross")
        << ViewAt(105, -45, 40) << true << QRectF(493.7125, 354.2125, 3.575, 2.575) << true;
    QTest::newRow("x50: a cross") << ViewAt(105, -45, 50) << true << QRectF(494.07, 354.47, 2.86, 2.06) << true;
}

void TestOverlay::overview()
{
    QFETCH(WorldWindow, view);
    QFETCH(bool, shown);
    QFETCH(QRectF, mark);
    QFETCH(bool, cross);
    const OverviewPlacement overview{QSizeF(PictureSize)};
    QCOMPARE(overview.Frame(), QRectF(424, 304, 143, 103));
    QCOMPARE(OverviewPlacement::Shows(view, PictureSize), shown);
    const QRectF got = overview.Mark(view);
    QVERIFY2(
        qAbs(got.left() - mark.left()) < 1e-9 && qAbs(got.top() - mark.top()) < 1e-9 &&
            qAbs(got.width() - mark.width()) < 1e-9 && qAbs(got.height() - mark.height()) < 1e-9,
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(got.left()).arg(got.top()).arg(got.width()).arg(got.height())));
    QCOMPARE(OverviewPlacement::IsCross(got), cross);

    // A click on the mark's centre keeps the view; on the overview's corner,
    // centres the view on the Draw's corner.
    const std::optional<WorldPoint> here = overview.WorldAt(mark.center());
    if (QRectF(424, 304, 143, 103).contains(mark.center())) {
        QVERIFY(here.has_value());
        const WorldWindow same = OverviewPlacement::CentredOn(view, *here);
        QVERIFY(qAbs(same.Left - view.Left) < 1e-9 && qAbs(same.Top - view.Top) < 1e-9);
    }
    const std::optional<WorldPoint> corner = overview.WorldAt(QPointF(424, 304));
    QVERIFY(corner.has_value());
    const WorldWindow moved = OverviewPlacement::CentredOn(view, *corner);
    QCOMPARE(moved.Left + moved.Width() / 2, -300.0);
    QCOMPARE(moved.Top + moved.Height() / 2, 410.0);
    QCOMPARE(moved.Width(), view.Width());
    QVERIFY(!overview.WorldAt(QPointF(423, 350)).has_value());
}

void TestOverlay::oneZoomAtAnySize_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("overview");
    QTest::newRow("x9.31 in the window") << 9.31 << PictureSize << "×9.31" << true;
    QTest::newRow("x9.31 in full screen") << 9.31 << QSize(1920, 1080) << "×9.31" << true;
    QTest::newRow("x3 in full screen: no overview") << 3.0 << QSize(1920, 1080) << "×3" << false;
    QTest::newRow("x5 in full screen") << 5.0 << QSize(1920, 1080) << "×5" << true;
}

// The scale of a pixel is the zoom, as --zoom reads it: a larger picture
// shows more around the same centre, at the same zoom.
void TestOverlay::oneZoomAtAnySize()
{
    QFETCH(double, zoom);
    QFETCH(QSize, size);
    QFETCH(QString, text);
    QFETCH(bool, overview);
    const WorldWindow view = CentredView({123.25, -67.5}, zoom, size);
    QCOMPARE(OverlayText(view, size).ZoomText(), text);
    QCOMPARE(OverviewPlacement::Shows(view, size), overview);
}

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
