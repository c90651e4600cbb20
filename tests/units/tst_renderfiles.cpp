#include "RenderRun.h"
#include "drawing/PictureSize.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace levyc;

// How levyc-render writes its files: through streams, links and full disks,
// replacing files whole, and what a terminal is told meanwhile.
class TestRenderFiles : public QObject
{
    Q_OBJECT

private slots:
    void progressLineOnATerminalOnly_data();
    void progressLineOnATerminalOnly();
    void badInputIsOneLineAndLeavesNoFile_data();
    void badInputIsOneLineAndLeavesNoFile();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void streamsAreWrittenThrough_data();
    void streamsAreWrittenThrough();
    void replacingKeepsModeAndOwner_data();
    void replacingKeepsModeAndOwner();
    void aLinkKeepsPointingAtTheNewFile();
};

void TestRenderFiles::progressLineOnATerminalOnly_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<int>("columns"); // the terminal's width, 0 when it does not say

    // `held COMMAND` runs a render and, once it has used 50 ms of processor
    // time after creating its output (its clock starts with that file), holds
    // it stopped for the half second the line waits for: however fast the
    // render, the line is then due. A render that ends first fails the row.
    const QString held = QStringLiteral(R"(cat > held.sh <<'EOF'
held() {
    "$@" & p=$!
    ticks() { awk '{ print $14 + $15 }' /proc/$p/stat 2>/dev/null || echo -1; }
    until ls .levyc-render-* >/dev/null 2>&1; do kill -0 $p || exit 90; sleep 0.01; done
    t=$(ticks)
    until [ $(($(ticks) - t)) -ge 5 ]; do
        case $(awk '{ print $3 }' /proc/$p/stat 2>/dev/null) in '' | Z) exit 91 ;; esac
        sleep 0.005
    done
    kill -STOP $p; sleep 0.5; kill -CONT $p; wait $p
}
EOF
)");
    const QString run = QStringLiteral(". ./held.sh; held \"$1\" --size 16384x16384 %1 out.png");
    const QString onTerminal =
        held + QStringLiteral(R"(R="$1" script -qec '%1' /dev/null </dev/null >err.txt; s=$?; cat err.txt; exit $s)");
    const auto onItsTerminal = [&](const QString &command) {
        return onTerminal.arg(QString(command).replace(QStringLiteral("$1"), QStringLiteral("$R")));
    };
    QTest::newRow("terminal") << onItsTerminal(run.arg(QString()))
                              << QByteArray("levyc-render: drawing, curve |levyc-render: encoding, ") << 0;
    QTest::newRow("terminal, quiet") << onItsTerminal(run.arg(u"--quiet")) << QByteArray() << 0;
    QTest::newRow("pipe") << held + run.arg(QString()) + " 2>&1 | cat" << QByteArray() << 0;
    const QString animate = QStringLiteral(". ./held.sh; %1held \"$1\" --size 640x640 --animate out.webp");
    QTest::newRow("animation on a terminal")
        << onItsTerminal(animate.arg(QString())) << QByteArray("levyc-render: drawing and encoding, frame ") << 0;
    // Cut short of the last column, so that it never wraps.
    QTest::newRow("animation on a narrow terminal")
        << onItsTerminal(animate.arg(u"stty cols 30; ")) << QByteArray("levyc-render: drawing and enc") << 30;
}

void TestRenderFiles::progressLineOnATerminalOnly()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, shown);
    QFETCH(int, columns);

    QTemporaryDir dir;
    const Run run = Shell(script, dir.path());
    QCOMPARE(run.status, 0);
    const QByteArray &out = run.out;
    if (shown.isEmpty()) {
        QCOMPARE(out, QByteArray());
        return;
    }
    // Rewritten in place and wiped at the end: nothing but the line, no newline.
    QVERIFY2(!out.contains('\n') && out.startsWith('\r') && out.endsWith('\r'), out.constData());
    for (const QByteArray &part : shown.split('|')) {
        QVERIFY2(out.contains(part), out.constData());
    }
    for (const QByteArray &line : out.split('\r')) {
        QVERIFY2(columns == 0 || line.size() < columns, line.constData());
    }
    const QByteArray last = out.mid(out.lastIndexOf('\r', out.size() - 2));
    QVERIFY2(last.trimmed().isEmpty(), last.constData());
}

void TestRenderFiles::badInputIsOneLineAndLeavesNoFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option") << QStringList{"--fast", "%DIR%/out.png"} << "unknown option '--fast'";
    QTest::newRow("malformed size") << QStringList{"--size", "big", "%DIR%/out.png"} << "bad size 'big'";
    QTest::newRow("zero size") << QStringList{"--size", "0x0", "%DIR%/out.png"} << "bad size '0x0'";
    QTest::newRow("three corners") << QStringList{"--window", "1,2,3", "%DIR%/out.png"} << "bad window '1,2,3'";
    QTest::newRow("no width") << QStringList{"--window=5,1,5,0", "%DIR%/out.png"} << "bad window";
    QTest::newRow("too narrow") << QStringList{"--window", "0,1,1e-11,0", "%DIR%/out.png"} << "bad window";
    // Lines are cut to a pixel's shorter side: this one's work would be 580,000 times a square pixel's.
    QTest::newRow("pixels far from square")
        << QStringList{"--window", "-300,-400,510,-400.001", "%DIR%/out.png"} << "times as long as wide, at most 16";
    QTest::newRow("not a number") << QStringList{"--window", "nan,1,2,0", "%DIR%/out.png"} << "bad window";
    QTest::newRow("window for the icon") << QStringList{"--icon", "--window", "0,1,1,0", "%DIR%/out.png"}
                                         << "takes no --window";
    QTest::newRow("side over 16384") << QStringList{"--size", "16385x100", "%DIR%/out.png"} << "bad size";
    QTest::newRow("no output") << QStringList{} << "no output file";
    QTest::newRow("help, then an unknown option") << QStringList{"--help", "--bogus"} << "unknown option '--bogus'";
    const QString deep = QStringLiteral("299.9999996,-399.9999995,300.0000004,-400.0000005");
    QTest::newRow("dive of another name")
        << QStringList{"--window", deep, "--dive", "%DIR%/out.mkv"} << "out.mkv': name a .mp4, .webm or .webp file";
    QTest::newRow("dive with a bad rate")
        << QStringList{"--window", deep, "--fps", "1000", "--dive", "%DIR%/out.mp4"} << "bad frame rate '1000'";
    QTest::newRow("dive into a missing directory")
        << QStringList{"--window", deep, "--dive", "%DIR%/missing/out.webm"} << "No such file or directory";
    QTest::newRow("missing directory") << QStringList{"%DIR%/missing/out.png"} << "No such file or directory";
    QTest::newRow("a directory") << QStringList{"%DIR%"} << "Is a directory";
    QTest::newRow("name too long") << QStringList{"%DIR%/" + QString(300, u'a') + ".png"} << "File name too long";
    // Not writable even for root; refused before the render, which --time would report.
    QTest::newRow("unwritable directory") << QStringList{"--time", "--size", "16384x16384", "/proc/levyc-out.png"}
                                          << "cannot write '/proc/levyc-out.png'";
}

void TestRenderFiles::badInputIsOneLineAndLeavesNoFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    arguments.replaceInStrings(QStringLiteral("%DIR%"), dir.path());
    const Run run = Render(arguments);
    QVERIFY(run.status > 0);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.startsWith("levyc-render: ") && run.err.contains(message.toUtf8()), run.err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QVERIFY(!QFile::exists(QStringLiteral("/proc/levyc-out.png")));
}

void TestRenderFiles::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("name");
    QTest::newRow("default size") << QStringLiteral("--size %1x%2").arg(PictureSize.width()).arg(PictureSize.height())
                                  << "out.png";
    QTest::newRow("2000x2000") << "--size 2000x2000"
                               << "out.png";
    // Written as it is made: the disk fills during the dive.
    QTest::newRow("dive") << "--size 160x90 --seconds 1 --window 290,-390,310,-410 --dive"
                          << "out.mp4";
}

void TestRenderFiles::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, options);
    QFETCH(QString, name);
    // A tiny tmpfs in a private mount namespace: a real ENOSPC, no root needed.
    const QString script =
        QStringLiteral("set -e; d=$(mktemp -d); mount -t tmpfs -o size=8k none \"$d\"; echo old > \"$d/$3\"; "
                       "status=0; \"$1\" $2 \"$d/$3\" || status=$?; echo \"status=$status\"; ls -A "
                       "\"$d\"; cat \"$d/$3\"");
    const Run probe = Execute(QStringLiteral("unshare"), {"--user", "--map-root-user", "--mount", "true"});
    if (probe.status != 0) {
        QSKIP("user namespaces are not available here");
    }
    const Run run = Execute(QStringLiteral("unshare"), {"--user", "--map-root-user", "--mount", "sh", "-c", script,
                                                        "sh", QStringLiteral(LEVYC_RENDER_PATH), options, name});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("No space left on device"), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    QCOMPARE(run.out, "status=1\n" + name.toUtf8() + "\nold\n");
}

void TestRenderFiles::streamsAreWrittenThrough_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    // Large enough not to fit a pipe's buffer, so a reader that leaves early is seen.
    const QString big = QStringLiteral("--size 4000x4000");
    QTest::newRow("FIFO") << "mkfifo f; \"$1\" --size 64x48 f & cat f > got.png; wait $!; test -p f" << 0 << "";
    QTest::newRow("FIFO read no further")
        << "mkfifo f; \"$1\" " + big + " f & head -c 1 f >/dev/null; wait $!" << 1 << "cannot write 'f': Broken pipe";
    QTest::newRow("standard output") << "\"$1\" --size 64x48 - | cat > got.png; test ! -e ./-" << 0 << "";
    QTest::newRow("standard output read no further")
        << "\"$1\" " + big + " - | head -c 1 >/dev/null" << 1 << "cannot write standard output: Broken pipe";
    QTest::newRow("standard output full")
        << "\"$1\" - >/dev/full" << 1 << "cannot write standard output: No space left on device";
    QTest::newRow("standard output a terminal")
        << R"(R="$1" script -qec '"$R" -' /dev/null </dev/null >err.txt; status=$?; cat err.txt >&2; exit $status)" << 1
        << "cannot write standard output: it is a terminal";
    QTest::newRow("standard output closed")
        << "\"$1\" - >&-" << 1 << "cannot write standard output: Bad file descriptor";
    // A terminal is refused whatever its name.
    QTest::newRow("/dev/tty")
        << R"(R="$1" script -qec '"$R" /dev/tty' /dev/null </dev/null >err.txt; status=$?; cat err.txt >&2; exit $status)"
        << 1 << "cannot write '/dev/tty': it is a terminal";
    QTest::newRow("the terminal by its own name")
        << R"sh(R="$1" script -qec '"$R" "$(tty)"' /dev/null </dev/null >err.txt; status=$?; cat err.txt >&2; exit $status)sh"
        << 1 << "cannot write '/dev/pts/";
    // --help and --version write too, and say so when they cannot.
    for (const char *option : {"--help", "--version"}) {
        QTest::addRow("%s to a full disk", option) << QStringLiteral("\"$1\" %1 >/dev/full").arg(QLatin1String(option))
                                                   << 1 << "cannot write standard output: No space left on device";
    }
    // Only a descriptor the caller passed in, never one of the program's own.
    for (const char *name : {"/dev/fd/3", "/proc/self/fd/3"}) {
        QTest::addRow("%s not passed in", name)
            << QStringLiteral("exec 3>&-; \"$1\" --size 64x48 %1").arg(QLatin1String(name)) << 1
            << QStringLiteral("cannot write '%1': Bad file descriptor").arg(QLatin1String(name));
    }
    // A link stays a link: the file it names is written, made if need be.
    QTest::newRow("a dangling link")
        << "mkdir t; ln -s t/missing.png dang.png; \"$1\" --size 64x48 dang.png && test -L dang.png && "
           "cp t/missing.png got.png"
        << 0 << "";
    QTest::newRow("a relative link named through a folder")
        << "mkdir t; echo old > t/real.png; ln -s real.png t/link.png; \"$1\" --size 64x48 t/link.png && "
           "test -L t/link.png && test ! -e real.png && cp t/real.png got.png"
        << 0 << "";
    QTest::newRow("a link where the folder's path is longer than PATH_MAX")
        << "top=$PWD; d=$(printf 'd%.0s' {1..250}); for i in $(seq 20); do mkdir $d && cd $d || exit 1; done; "
           "echo old > real.png; ln -s real.png link.png; \"$1\" --size 64x48 link.png && test -L link.png && "
           "cp real.png \"$top/got.png\"; status=$?; cd \"$top\" && rm -rf $d; exit $status"
        << 0 << "";
    // A name for a descriptor writes through it, appending where it appends.
    for (const char *name : {"/dev/stdout", "/dev/fd/3", "/proc/self/fd/3"}) {
        QTest::addRow("%s appended to", name)
            << QStringLiteral(
                   "echo keep > log; exec 3>>log; \"$1\" --size 64x48 %1 >>log; test \"$(head -1 log)\" = keep; "
                   "tail -c +6 log > got.png")
                   .arg(QLatin1String(name))
            << 0 << "";
    }
    QTest::newRow("/dev/stdout a terminal")
        << R"(R="$1" script -qec '"$R" /dev/stdout' /dev/null </dev/null >err.txt; status=$?; cat err.txt >&2; exit $status)"
        << 1 << "cannot write '/dev/stdout': it is a terminal";
    // Names are bytes: two names that are not UTF-8 stay two files.
    QTest::newRow("names not UTF-8")
        << R"sh("$1" --size 64x48 $'\xff.png' && "$1" --size 9x9 $'\xfe.png' && test "$(ls | wc -l)" = 2 && cp $'\xff.png' got.png)sh"
        << 0 << "";
    QTest::newRow("name with control bytes")
        << R"("$1" $'none/a\nb\e[31m\xff\\.png')" << 1
        << R"(cannot write 'none/a\x0ab\x1b[31m\xff\x5c.png': No such file or directory)";
    // A lead byte that starts a sequence followed by one that cannot go on with it.
    QTest::newRow("name with a broken sequence")
        << R"("$1" $'none/\xc3(.png')" << 1 << R"(cannot write 'none/\xc3(.png': No such file or directory)";
    // A write past the file-size limit is an error like a full disk.
    QTest::newRow("file size limit") << "ulimit -f 4; \"$1\" out.png" << 1 << "cannot write 'out.png': File too large";
#ifndef __SANITIZE_ADDRESS__
    // Address space for the image but little beyond it: wherever memory runs
    // out, the run ends in one line and leaves nothing behind.
    QTest::newRow("memory runs out")
        << "for kb in 1120000 1140000 1160000; do status=0; (ulimit -v $kb; exec "
           "\"$1\" --size 16384x16384 out.png) 2>err || status=$?; rm -f out.png; test $status -le 1 "
           "&& test \"$(wc -l < err)\" = $status && ! grep -v -e '^levyc-render: not enough memory' "
           "-e ': Cannot allocate memory$' err >&2 || exit 1; done"
        << 0 << "-";
    // The same for each encoder: one line of the program's own, never the
    // library's; at least one of the limits is too low for each.
    QTest::newRow("memory runs out in a dive")
        << "for f in mp4 webm webp; do short=0; for kb in 150000 300000 600000; do status=0; (ulimit -v $kb; exec "
           "\"$1\" --size 1920x1080 --seconds 0.2 --window 290,-390,310,-410 --dive out.$f) 2>err || status=$?; "
           "rm -f out.$f; short=$((short + status)); test $status -le 1 && test \"$(wc -l < err)\" = $status && ! "
           "grep -v -e '^levyc-render: not enough memory for a 1920x1080 dive$' -e "
           "'^levyc-render: not enough memory to load FFmpeg' err >&2 || exit 1; done; "
           "test $short -gt 0 || exit 2; done"
        << 0 << "-";
#endif
    // No thread to be had, or too few for an encoder that wants several: each
    // dive is drawn and encoded on those there are. RLIMIT_NPROC holds for any
    // user but root, and counts every thread of the account: an account no
    // other test runs as (the Wayland tests' programs run as nobody).
    QTest::newRow("a dive with few threads or none")
        << "cp \"$1\" R && cp \"$(dirname \"$1\")/levyc-ffmpeg.so\" . && chmod 777 . && as=; [ \"$(id -u)\" != 0 ] || "
           "as='setpriv --reuid=64321 "
           "--regid=64321 --clear-groups'; for n in 1 2 3 4; do for f in mp4 webm webp; do rm -f d.$f; "
           "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 $as prlimit "
           "--nproc=$n ./R --size 640x360 --seconds 0.1 --window 290,-390,310,-410 --dive d.$f && test -s d.$f || "
           "exit 1; done; done; rm R levyc-ffmpeg.so"
        << 0 << "-";
    // The temporary file exists from the start; a signal during the render takes it away.
    // `during SIGNAL` holds the program stopped while its temporary file is still
    // there, sends SIGNAL and lets it go on: the signal arrives before the output is
    // complete however fast the render. 90 and 91 say the render ended too soon.
    const QString during = QStringLiteral(
        "during() { until compgen -G '.levyc-render-*' >/dev/null; do kill -0 $pid || exit 90; sleep 0.01; done; "
        "kill -STOP $pid; until grep -q '^State:[[:space:]]*[TZ]' /proc/$pid/status; do sleep 0.01; done; "
        "compgen -G '.levyc-render-*' >/dev/null || exit 91; kill -$1 $pid; kill -CONT $pid; }; ");
    for (const auto &[name, number] : {std::pair{"TERM", 15},
                                       {"HUP", 1},
                                       {"INT", 2},
                                       {"QUIT", 3},
                                       {"USR1", 10},
                                       {"USR2", 12},
                                       {"ALRM", 14},
                                       {"XCPU", 24},
                                       {"VTALRM", 26}}) {
        // A background job starts with SIGINT and SIGQUIT ignored; env gives them back.
        QTest::addRow("killed by SIG%s while rendering", name)
            << during +
                   QStringLiteral("env --default-signal=INT,QUIT \"$1\" --size 8000x8000 out.png & pid=$!; during %1; "
                                  "wait $pid; "
                                  "test $? -eq %2 && test ! -e out.png")
                       .arg(QLatin1String(name))
                       .arg(128 + number)
            << 0 << "-";
    }
    // Before the program could note its temporary file anywhere, and with
    // another thread free to take the signal.
    QTest::newRow("killed as its temporary file is made")
        << QStringLiteral("LD_PRELOAD=%1 ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 \"$1\" --size 64x48 "
                          "out.png; test $? -eq 143 && test ! -e out.png")
               .arg(QLatin1String(LEVYC_SIGNAL_ON_MAKE))
        << 0 << "-";
    const QString dive = QStringLiteral("--window 290,-390,310,-410 --size 320x180 ");
    QTest::newRow("dive to standard output full") << "\"$1\" " + dive + "--format mp4 --dive - >/dev/full" << 1
                                                  << "cannot write standard output: No space left on device";
    QTest::newRow("dive to a full device") << "\"$1\" " + dive + "--format webm --dive /dev/full" << 1
                                           << "cannot write '/dev/full': No space left on device";
    QTest::newRow("WebP dive to standard output")
        << "\"$1\" " + dive + "--dive - --format webp | cat" << 2
        << "an animated WebP dive is made whole: name a .webp file, not a stream";
    QTest::newRow("dive read no further")
        << "\"$1\" --window 290,-390,310,-410 --size 640x360 --seconds 2 --format webm --dive - | head -c 1 >/dev/null"
        << 1 << "cannot write standard output: Broken pipe";
    QTest::newRow("killed mid-dive") << during + "\"$1\" " + dive +
                                            "--quiet --dive out.mp4 & pid=$!; during TERM; wait $pid; "
                                            "test $? -eq 143 && test ! -e out.mp4"
                                     << 0 << "-";
    QTest::newRow("killed while animating")
        << during + "\"$1\" --size 4000x4000 --animate out.webp & pid=$!; during TERM; wait $pid; "
                    "test $? -eq 143 && test ! -e out.webp"
        << 0 << "-";
    // An ignored signal stays ignored, as under nohup: the render ends with 0, not 129.
    QTest::newRow("ignored SIGHUP")
        << during + "trap '' HUP; \"$1\" --size 3000x3000 out.png & pid=$!; during HUP; wait $pid && test -s out.png"
        << 0 << "-";
    // Carried over: the ACL and the other attributes; the group gains nothing.
    QTest::newRow("ACL and attributes kept")
        << "touch keep.png && setfacl -m u:nobody:rw,g::r-- keep.png && setfattr -n user.note -v kept keep.png && "
           "acl=$(getfacl -c keep.png) && \"$1\" --size 64x48 keep.png && test \"$(getfacl -c keep.png)\" = \"$acl\" "
           "&& "
           "test \"$(getfattr --only-values -n user.note keep.png)\" = kept && cp keep.png got.png"
        << 0 << "";
    // Another user's file in a sticky directory: refused before the render, which --time would report.
    // Only root can act as another user: anyone else skips the row (77).
    QTest::newRow("another's file in a sticky directory")
        << "[ \"$(id -u)\" = 0 ] || exit 77; chmod 1777 .; "
           "cp \"$1\" R; echo old > f.png; chmod 666 f.png; setpriv --reuid=nobody --regid=nogroup --clear-groups "
           "./R --time --size 8000x8000 f.png; status=$?; rm R; exit $status"
        << 1 << "cannot write 'f.png': Operation not permitted";
}

void TestRenderFiles::streamsAreWrittenThrough()
{
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const Run run = Shell(script, dir.path());
    if (run.status == 77 && status != 77) {
        QSKIP("root only");
    }
    const QByteArray err = QByteArray(run.err).replace("\r", "");
    QCOMPARE(run.status, status);
    if (message.isEmpty()) {
        QCOMPARE(err, QByteArray());
        QCOMPARE(QImage(dir.filePath(QStringLiteral("got.png"))).size(), QSize(64, 48));
    } else if (message != u"-") {
        QVERIFY2(err.startsWith("levyc-render: " + message.toUtf8()) && err.count('\n') == 1, err.constData());
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::NoDotAndDotDot | QDir::Files).filter(u".levyc"),
             QStringList());
}

void TestRenderFiles::replacingKeepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("giveAway");
    QTest::newRow("read-only") << 0444 << false;
    QTest::newRow("group-readable") << 0640 << false;
    QTest::newRow("someone else's") << 0664 << true;
}

void TestRenderFiles::replacingKeepsModeAndOwner()
{
    QFETCH(int, mode);
    QFETCH(bool, giveAway);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.png"));
    const QByteArray name = QFile::encodeName(path);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QCOMPARE(::chmod(name.constData(), static_cast<mode_t>(mode)), 0);
    const bool root = ::geteuid() == 0;
    if (giveAway) {
        if (!root) {
            QSKIP("only root can give a file away");
        }
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    }

    const Run run = Render({"--size", "64x48", path});
    struct stat status = {};
    QCOMPARE(::stat(name.constData(), &status), 0);
    if (!root && (mode & 0200) == 0) {
        // Without root a read-only file is refused and stays as it was.
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("Permission denied"), run.err.constData());
        QCOMPARE(status.st_size, 3);
        return;
    }
    QCOMPARE(run.status, 0);
    QCOMPARE(QImage(path).size(), QSize(64, 48));
    QCOMPARE(static_cast<int>(status.st_mode & 07777), mode);
    QCOMPARE(status.st_uid, giveAway ? 65534U : ::geteuid());
    QCOMPARE(status.st_gid, giveAway ? 65534U : ::getegid());
}

void TestRenderFiles::aLinkKeepsPointingAtTheNewFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("real.png"));
    const QString link = dir.filePath(QStringLiteral("link.png"));
    QFile(file).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(file, link));
    QCOMPARE(Render({"--size", "64x48", link}).status, 0);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QImage(file).size(), QSize(64, 48));
}

QTEST_MAIN(TestRenderFiles)
#include "tst_renderfiles.moc"
