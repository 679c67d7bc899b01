#include "replies/ui/replylistmenu.h"

#include "support/console.h"
#include "support/fakes.h"
#include "support/tinydisk.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

QString clipboard() {
    return QGuiApplication::clipboard()->text();
}

bool isEmptyFolder(const QString &path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
}

} // namespace

class ReplyListMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As a reply list shows them, the newest selected as after an arrival.
        list.addItems({"Año", " ", "€", "ñ"});
        list.setCurrentRow(3);
        menu = attach(list);
    }
    ReplyListMenu *attach(QListWidget &to) {
        return new ReplyListMenu(to, "Save trace list", "trace.txt", prompter,
                                 [this](QWidget *parent, const QString &title, const QString &) {
                                     asked.emplace_back(parent, title);
                                     return answer;
                                 });
    }

    RecordingPrompter prompter;
    QListWidget list;
    ReplyListMenu *menu = nullptr; // owned by the list
    std::vector<std::pair<QWidget *, QString>> asked;
    QString answer; // the scripted file choice; empty is Cancel
    QTemporaryDir dir;
};

TEST_F(ReplyListMenuTest, TheMenuCopiesEntriesOneALineInTheListsOrder) {
    ASSERT_EQ(list.contextMenuPolicy(), Qt::CustomContextMenu);
    auto *popup = list.findChild<QMenu *>();
    ASSERT_NE(popup, nullptr);
    const QList<QAction *> actions = popup->actions();
    QStringList captions;
    for (const QAction *action : actions) {
        captions << action->text();
    }
    ASSERT_EQ(captions, (QStringList{"Copy", "Copy all", "Save as\u2026"}));

    actions[0]->trigger(); // the newest, selected on arrival, stays selected
    EXPECT_EQ(clipboard(), QStringLiteral("ñ\n"));
    EXPECT_EQ(list.currentRow(), 3);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.clearSelection();
    list.item(2)->setSelected(true);
    list.item(0)->setSelected(true);
    menu->copySelected();
    EXPECT_EQ(clipboard(), QStringLiteral("Año\n€\n"));

    list.clearSelection();
    menu->copySelected(); // nothing selected: the clipboard keeps its text
    Q_EMIT list.customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(clipboard(), QStringLiteral("Año\n€\n"));
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[2]->isEnabled());
    actions[1]->trigger();
    EXPECT_EQ(clipboard(), QStringLiteral("Año\n \n€\nñ\n"));
    popup->hide();
}

TEST_F(ReplyListMenuTest, SaveAsWritesEveryEntryInWindows1252EndedByCrLf) {
    EXPECT_EQ(ReplyListMenu::fileBytes({"", " \u2026 [+9 characters]"}).bytes,
              QByteArray("\r\n \x85 [+9 characters]\r\n"));

    menu->saveAs(); // cancelled
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0].first, list.window());
    EXPECT_EQ(asked[0].second, "Save trace list");
    EXPECT_TRUE(isEmptyFolder(dir.path()));

    answer = dir.filePath("trace.txt");
    QFile older(answer);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write(QByteArray(100, 'x')) == 100);
    older.close();
    menu->saveAs();
    EXPECT_EQ(fileBytes(answer), QByteArray("A\xF1o\r\n \r\n\x80\r\n\xF1\r\n"));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ReplyListMenuTest, ASaveThatCannotBeDoneSaysWhyAndLeavesNoFile) {
    const QString inMissingFolder = dir.filePath("gone/trace.txt");
    EXPECT_FALSE(menu->saveTo(inMissingFolder));
    EXPECT_FALSE(menu->saveTo(dir.path()));
    list.addItem(QStringLiteral("snow \u2603"));
    const QString path = dir.filePath("trace.txt");
    EXPECT_FALSE(menu->saveTo(path));
    EXPECT_EQ(prompter.texts(),
              (QStringList{"Cannot save " + inMissingFolder + ": No such file or directory",
                           "Cannot save " + dir.path() + ": Filename refers to a directory",
                           "Cannot save " + path +
                               ": the character \"\u2603\" (U+2603) has no "
                               "byte in the Windows-1252 code page"}));
    for (const RecordingPrompter::Box &box : prompter.boxes) {
        EXPECT_EQ(box.icon, Prompter::Icon::Warning);
    }
    EXPECT_TRUE(isEmptyFolder(dir.path()));
}

TEST_F(ReplyListMenuTest, AFullDiskLeavesNoPartOfTheFile) {
    const TinyDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << disk.whyNot();
    }
    // 20 KB on a 16 KiB disk: the first write stops short without an error.
    for (int i = 0; i < 20; ++i) {
        list.addItem(QString(1000, QLatin1Char('a' + i)));
    }
    const QString path = disk.filePath("trace.txt");
    EXPECT_FALSE(menu->saveTo(path));
    EXPECT_EQ(prompter.texts(), QStringList{"Cannot save " + path + ": No space left on device"});
    EXPECT_TRUE(isEmptyFolder(disk.path()));
}

// What the file dialog made of a typed name, played through Qt's own dialog.
struct TypedSave {
    QString chosen;          // what the dialog handed back
    bool stayedOpen = false; // the name was refused and the dialog is still there
    bool askedToReplace = false;
    QString proposed;          // the name the dialog offered first
    bool heldTheSteps = false; // it counted as an open box
};

TypedSave typeIntoTheFileDialog(QWidget *parent, Prompter &prompter, const QString &name) {
    TypedSave save;
    QPointer<QFileDialog> dialog;
    bool accepted = false; // the dialog has acted on the name
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *active = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(active)) {
            save.askedToReplace = true;
            box->reject();
        } else if (!dialog) {
            if ((dialog = qobject_cast<QFileDialog *>(active))) {
                auto *typed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                save.proposed = typed->text();
                save.heldTheSteps = prompter.boxOpen();
                typed->setText(name);
                QTimer::singleShot(0, dialog, [&] {
                    QMetaObject::invokeMethod(dialog, "accept");
                    accepted = true;
                });
            }
        } else if (accepted && dialog->isVisible()) {
            save.stayedOpen = true;
            dialog->reject();
        }
    });
    driver.start(10);
    save.chosen =
        ReplyListMenu::chooseWithDialog(parent, QStringLiteral("Save list"), "list.txt", prompter);
    return save;
}

// Only the path typed is written to: a name the dialog would split at a double quote, and a
// target that is no regular file, are refused before its replace question and again after.
TEST_F(ReplyListMenuTest, SaveAsWritesOnlyToTheRegularFileTyped) {
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString quoted = QStringLiteral("Cannot save %1: a name with a double quote (\") would "
                                          "be read as several names; nothing was saved");
    const struct {
        QString typed, message, chosen;
    } cases[] = {
        {dir.filePath("notes\"loggers.txt"), quoted.arg(dir.filePath("notes\"loggers.txt")), ""},
        {dir.filePath("a 'q\"d.txt"), quoted.arg(dir.filePath("a 'q\"d.txt")), ""},
        {fifo, "Cannot save " + fifo + ": not a regular file", ""},
        {dir.filePath("plain.txt"), "", dir.filePath("plain.txt")},
        {dir.filePath("notes"), "", dir.filePath("notes.txt")},
    };
    for (const auto &c : cases) {
        prompter.boxes.clear();
        const TypedSave save = typeIntoTheFileDialog(&list, prompter, c.typed);
        EXPECT_EQ(save.chosen, c.chosen) << c.typed.toStdString();
        EXPECT_EQ(save.stayedOpen, !c.message.isEmpty()) << c.typed.toStdString();
        EXPECT_FALSE(save.askedToReplace) << c.typed.toStdString();
        EXPECT_EQ(save.proposed, "list.txt");
        EXPECT_TRUE(save.heldTheSteps); // the connection's waits hold while it is open
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
    }
    // After the question, the FIFO is refused again and stays a FIFO.
    prompter.boxes.clear();
    answer = fifo;
    menu->saveAs();
    EXPECT_EQ(prompter.texts(), QStringList{"Cannot save " + fifo + ": not a regular file"});
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}
