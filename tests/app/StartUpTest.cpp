// The program as started: it comes up with its windows and, asked for pictures of them (the
// developer aid behind QUILLMERE_SCREENSHOTS), saves them and ends.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class StartUpTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SavesAPictureOfEveryPageTheDialogsAndTheCurves() {
    QTemporaryDir pictures;
    QVERIFY(pictures.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMERE_SCREENSHOTS"), pictures.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(pictures.path());
    program.start(QStringLiteral(QUILLMERE_EXECUTABLE), QStringList{});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    for (const char* page : {"page-zone1.png", "page-zone2.png", "page-zone3.png",
                             "page-general.png", "page-plant.png"}) {
      const QImage image(pictures.filePath(QString::fromLatin1(page)));
      QVERIFY2(!image.isNull(), page);
      QCOMPARE(image.size() / image.devicePixelRatio(), QSize(727, 545));
    }
    const QImage finish(pictures.filePath(QStringLiteral("finish.png")));
    QVERIFY(!finish.isNull());
    QCOMPARE(finish.size() / finish.devicePixelRatio(), QSize(316, 206));
    for (const auto& [curves, size] : {std::pair{"curves.png", QSize(1200, 860)},
                                       std::pair{"curves-compare.png", QSize(1200, 860)},
                                       std::pair{"curves-smallest.png", QSize(800, 600)},
                                       std::pair{"optimise-dialog.png", QSize(900, 680)}}) {
      const QImage image(pictures.filePath(QString::fromLatin1(curves)));
      QVERIFY2(!image.isNull(), curves);
      QCOMPARE(image.size() / image.devicePixelRatio(), size);
    }
    // Nothing else was written: no result file, no settings.
    QCOMPARE(QDir(pictures.path()).entryList(QDir::Files).size(), 10);
  }

  // Asked for a laptop's screen, the program saves the whole screen with the curves window
  // maximised on it: the plant example with a run kept, alone, and previewed.
  void SavesTheWholeScreenForALaptop() {
    QTemporaryDir pictures;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMERE_SCREENSHOTS"), pictures.path());
    environment.insert(QStringLiteral("QUILLMERE_SCREENSHOTS_SCREEN"), QStringLiteral("laptop"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(pictures.path());
    program.start(QStringLiteral(QUILLMERE_EXECUTABLE), QStringList{});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
    const QImage laptop(pictures.filePath(QStringLiteral("curves-laptop.png")));
    const QImage plant(pictures.filePath(QStringLiteral("curves-plant.png")));
    QVERIFY(!laptop.isNull());
    QCOMPARE(plant.size(), laptop.size());
    QCOMPARE(QImage(pictures.filePath(QStringLiteral("curves-preview.png"))).size(), laptop.size());
    QCOMPARE(QDir(pictures.path()).entryList(QDir::Files).size(), 3);
  }

  // --help and --version are answered before a window exists: without a display (the manual
  // page is made from them at build time), on standard output, with exit status 0.
  void AnswersHelpAndVersionWithoutADisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment.remove(QString::fromLatin1(name));
    }
    const auto answer = [&](const QString& option) {
      QProcess program;
      program.setProcessEnvironment(environment);
      program.start(QStringLiteral(QUILLMERE_EXECUTABLE), QStringList{option});
      if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit ||
          program.exitCode() != 0) {
        return QString();
      }
      return QString::fromUtf8(program.readAllStandardOutput());
    };
    QVERIFY(answer(QStringLiteral("--help")).startsWith(QStringLiteral("Usage: quillmere ")));
    QVERIFY(answer(QStringLiteral("-h")).contains(QStringLiteral("--version")));
    QVERIFY(answer(QStringLiteral("--version")).startsWith(QStringLiteral("quillmere 1.")));
  }

  // Started where there is no display and no platform was chosen, the program says so in one
  // line and ends with status 1, instead of aborting inside Qt; a platform given on the
  // command line is still taken.
  void SaysWhenThereIsNoDisplay() {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_EXECUTABLE), QStringList{});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString error = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(error.startsWith(QStringLiteral("quillmere: no display")), qPrintable(error));
    QCOMPARE(error.count(QLatin1Char('\n')), 1);
    QVERIFY(program.readAllStandardOutput().isEmpty());

    QTemporaryDir pictures;
    environment.insert(QStringLiteral("QUILLMERE_SCREENSHOTS"), pictures.path());
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(pictures.path());
    program.start(QStringLiteral(QUILLMERE_EXECUTABLE),
                  QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
  }
};

QTEST_GUILESS_MAIN(StartUpTest)
#include "StartUpTest.moc"
