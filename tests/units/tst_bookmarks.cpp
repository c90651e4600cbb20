#include "bookmarks/BookmarkStore.h"
#include "world/PictureWorld.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace levyc;

namespace {

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

ListedView View(double side, const QString &name = {})
{
    return {{-side, side, side, -side}, QSize(573, 413), 0, name};
}

} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT

private slots:
    void keptBetweenRuns();
    void unreadableIsKeptAside_data();
    void unreadableIsKeptAside();
    void aFailedWriteKeepsTheOldList();
};

// Every change is in the file at once: a new run reads the list as it was
// left, and its export imports as the same list.
void TestBookmarks::keptBetweenRuns()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep/er/bookmarks.txt"));
    BookmarkStore store(path);
    QCOMPARE(store.Load(), QString());
    QString error;
    QVERIFY(store.Add(View(100, QStringLiteral("The fan")), &error));
    QVERIFY(store.Add(View(10), &error));
    QVERIFY(store.Add({PictureWorld, QSize(1280, 720), 0, QStringLiteral("Draw --hold 2 ドロー")}, &error));
    QVERIFY(store.Rename(1, QStringLiteral("  A  small\nview "), &error));
    QVERIFY(store.Move(2, 0, &error));
    QVERIFY(store.Add(View(1), &error));
    QVERIFY(store.Remove(3, &error));
    const std::vector<ListedView> wanted{{PictureWorld, QSize(1280, 720), 0, QStringLiteral("Draw --hold 2 ドロー")},
                                         View(100, QStringLiteral("The fan")),
                                         View(10, QStringLiteral("A small view"))};
    QVERIFY(store.Views() == wanted);

    BookmarkStore again(path);
    QCOMPARE(again.Load(), QString());
    QVERIFY(again.Views() == wanted);

    // Imported: the views not there yet, after the list's own.
    BookmarkStore other(dir.filePath(QStringLiteral("other.txt")));
    QVERIFY(other.Add(View(10), &error));
    QCOMPARE(other.Import(again.Export(), QSize(1, 1), &error), 2);
    QCOMPARE(other.Views().size(), std::size_t(3));
    QCOMPARE(other.Views()[1], wanted[0]);
    QCOMPARE(other.Import(again.Export(), QSize(1, 1), &error), 0);
    QCOMPARE(other.Import(QStringLiteral("--window 0,1,1,0\n--window 1,2"), QSize(1, 1), &error), -1);
    QVERIFY2(error.contains(QStringLiteral("line 2")), qPrintable(error));
    QCOMPARE(other.Views().size(), std::size_t(3));
}

void TestBookmarks::unreadableIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a bad line") << QByteArray("--window 0,1,1,0\n--window 1,2,3\n") << "line 2";
    QTest::newRow("not text") << QByteArray("\xff\xfe\x00\x01--window", 10) << "not UTF-8";
}

// A file that cannot be read is never overwritten: it is moved aside, said
// once, and the list starts again empty.
void TestBookmarks::unreadableIsKeptAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bookmarks.txt"));
    Write(path, bytes);
    BookmarkStore store(path);
    const QString told = store.Load();
    QVERIFY2(told.contains(reason) && told.contains(QStringLiteral("kept as")), qPrintable(told));
    QVERIFY(store.Views().empty());
    const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("bookmarks.txt.*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(Read(dir.filePath(aside.first())), bytes);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(BookmarkStore(path).Load(), QString()); // told once
    QString error;
    QVERIFY(store.Add(View(1), &error));
    QCOMPARE(Read(dir.filePath(aside.first())), bytes);
}

// A write cut short, as on a full disk, leaves the old file and the list whole.
void TestBookmarks::aFailedWriteKeepsTheOldList()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bookmarks.txt"));
    BookmarkStore store(path);
    QString error;
    QVERIFY(store.Add(View(1), &error));
    const QByteArray before = Read(path);
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit old = limit;
    limit.rlim_cur = static_cast<rlim_t>(before.size() + 20);
    std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    const bool added = store.Add(View(2, QStringLiteral("a name long enough to pass the limit")), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    QVERIFY(!added);
    QVERIFY2(error.contains(QStringLiteral("File too large")), qPrintable(error));
    QCOMPARE(Read(path), before);
    QCOMPARE(store.Views().size(), std::size_t(1));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
