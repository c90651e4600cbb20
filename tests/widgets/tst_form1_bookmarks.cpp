#include "FormTest.h"
#include "bookmarks/BookmarkStore.h"
#include "views/ViewText.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace levyc;

// Bookmarks as a user keeps them: Ctrl+D, then Ctrl+B's list, in a data
// folder of the test's own.
class TestFormBookmarks : public FormTest
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keptFoundRenamedAndDeleted();

private:
    // The bookmarks' file as a new run reads it.
    [[nodiscard]] static std::vector<ListedView> Kept();
    QTemporaryDir data_;
};

void TestFormBookmarks::initTestCase()
{
    QVERIFY(data_.isValid());
    qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    qputenv("XDG_CACHE_HOME", data_.filePath(QStringLiteral("cache")).toUtf8());
}

std::vector<ListedView> TestFormBookmarks::Kept()
{
    BookmarkStore store(BookmarkStore::DefaultPath());
    return store.Load().isEmpty() ? store.Views() : std::vector<ListedView>{};
}

void TestFormBookmarks::keptFoundRenamedAndDeleted()
{
    QVERIFY(BookmarkStore::DefaultPath().startsWith(data_.path()));
    Draw();
    QVERIFY(Picture()->Exploring());
    QTest::keyClick(Picture(), Qt::Key_Plus);
    QTest::keyClick(Picture(), Qt::Key_Right);
    const WorldWindow kept = Picture()->View();
    QVERIFY(kept != PictureWorld);
    // Ctrl+D from a field of the window too, as the exploring keys are.
    QTest::keyClick(Child("Command1"), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(QTest::qWaitFor([] { return Kept().size() == 1; }, 60000));
    QCOMPARE(Kept().front().window, kept);
    QCOMPARE(Kept().front().size, Picture()->ImageSize());
    QVERIFY(qobject_cast<QLabel *>(Child("SaveNotice"))->text().contains(Kept().front().name));

    QTest::keyClick(Picture(), Qt::Key_Home);
    QVERIFY(QTest::qWaitFor([&] { return Picture()->View() == PictureWorld; }, 60000));
    QTest::keyClick(Picture(), Qt::Key_B, Qt::ControlModifier);
    QListWidget *list = nullptr;
    QVERIFY(QTest::qWaitFor(
        [&] {
            list = Form().findChild<QListWidget *>(QStringLiteral("BookmarkList"));
            return list != nullptr && list->isVisible();
        },
        60000));
    QCOMPARE(list->count(), 1);
    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkGoTo")), Qt::LeftButton);
    QCOMPARE(Picture()->View(), kept);

    // Renamed in place, as typed.
    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkRename")), Qt::LeftButton);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor != nullptr && editor != list);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("The fan's edge"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([] { return !Kept().empty() && Kept().front().name == u"The fan's edge"; }, 60000));
    QCOMPARE(Kept().front().window, kept);

    QTest::mouseClick(Form().findChild<QPushButton *>(QStringLiteral("BookmarkDelete")), Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QVERIFY(Kept().empty());
}

QTEST_MAIN(TestFormBookmarks)
#include "tst_form1_bookmarks.moc"
