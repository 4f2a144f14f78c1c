#include "app/QtDialogs.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QStringList SaveTypes{u"Text Files (*.txt)"_s, u"All Files (*)"_s, u"Lines only (*.txt)"_s};

// Answers the next file dialog as a user would: picks the file type with
// the keyboard in its type box (steps down from where it stands), types the
// name and accepts. Notes the types offered and the one chosen at first.
struct FileDialogUser
{
    int typeSteps = 0;
    QString name;
    QStringList offered{};
    QString firstType{};

    void answerNextDialog()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            offered = dialog->nameFilters();
            firstType = dialog->selectedNameFilter();
            auto *types = dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
            QVERIFY(types);
            for (int i = 0; i < typeSteps; ++i)
                QTest::keyClick(types, Qt::Key_Down);
            if (!name.isEmpty())
                dialog->selectFile(name);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    }
};

} // namespace

// The real file dialogs (Qt's own, offscreen): the types they offer, the
// suffix a bare name gets and the type remembered for the next save.
class tst_QtDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void saveAddsTheTypesSuffix_data();
    void saveAddsTheTypesSuffix();
    void saveRemembersTheType();
    void openOffersEveryFile();

private:
    QTemporaryDir m_folder;
    QtDialogs m_dialogs;
};

void tst_QtDialogs::initTestCase()
{
    WindowFixture::useTemporarySettings();
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_QtDialogs::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, u"Hallowmere"_s, u"Hallowmere"_s).clear();
}

void tst_QtDialogs::saveAddsTheTypesSuffix_data()
{
    QTest::addColumn<int>("typeSteps");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("type");

    QTest::newRow("text file") << 0 << u"report"_s << u"report.txt"_s << 0;
    QTest::newRow("lines only") << 2 << u"report"_s << u"report.txt"_s << 2;
    QTest::newRow("all files: as typed") << 1 << u"report"_s << u"report"_s << 1;
    QTest::newRow("a suffix of its own") << 0 << u"report.csv"_s << u"report.csv"_s << 0;
}

void tst_QtDialogs::saveAddsTheTypesSuffix()
{
    QFETCH(int, typeSteps);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(int, type);

    FileDialogUser user{typeSteps, m_folder.filePath(typed)};
    user.answerNextDialog();
    const UserDialogs::SaveChoice choice = m_dialogs.saveFile(u"Save"_s, SaveTypes);
    QCOMPARE(user.offered, SaveTypes);
    QCOMPARE(choice.path, m_folder.filePath(saved));
    QCOMPARE(choice.filter, type);
}

void tst_QtDialogs::saveRemembersTheType()
{
    FileDialogUser first{2, m_folder.filePath(u"a"_s)};
    first.answerNextDialog();
    m_dialogs.saveFile(u"Save"_s, SaveTypes);
    QCOMPARE(first.firstType, SaveTypes[0]);

    // The next save starts at "Lines only" and keeps its suffix rule.
    FileDialogUser next{0, m_folder.filePath(u"b"_s)};
    next.answerNextDialog();
    const UserDialogs::SaveChoice choice = m_dialogs.saveFile(u"Save"_s, SaveTypes);
    QCOMPARE(next.firstType, SaveTypes[2]);
    QCOMPARE(choice.filter, 2);
    QCOMPARE(choice.path, m_folder.filePath(u"b.txt"_s));
}

void tst_QtDialogs::openOffersEveryFile()
{
    const QStringList types{u"Text Files (*.txt)"_s, u"All Files (*)"_s};
    QVERIFY(QFile(m_folder.filePath(u"app.log"_s)).open(QIODevice::WriteOnly));
    FileDialogUser user{1, m_folder.filePath(u"app.log"_s)};
    user.answerNextDialog();
    QCOMPARE(m_dialogs.openFiles(u"Load"_s, types), QStringList{m_folder.filePath(u"app.log"_s)});
    QCOMPARE(user.offered, types);
    QCOMPARE(user.firstType, types[0]);
}

QTEST_MAIN(tst_QtDialogs)
#include "tst_qtdialogs.moc"
