#include "commands/ui/alarmdialog.h"
#include "commands/ui/ftpdialog.h"
#include "commands/ui/historicdialog.h"
#include "commands/ui/linuxcommanddialog.h"
#include "commands/ui/parameterdialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kHint = QStringLiteral("Para días completos, en \"desde\" debe indicarse hora=1 del "
                                     "primer día y  en \"hasta\" hora=0 del día siguiente al "
                                     "último");

template <typename T> T *child(QWidget *parent, const QString &name) {
    return parent->findChild<T *>(name);
}

QLabel *labelWithText(QWidget *parent, const QString &text) {
    const auto labels = parent->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->text() == text) {
            return label;
        }
    }
    return nullptr;
}

QStringList sortedLabelTexts(QWidget *parent) {
    QStringList texts;
    const auto labels = parent->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        texts << label->text();
    }
    texts.sort();
    return texts;
}

// Types as the operator would, key by key; QTest's own helper only knows ASCII.
void typeText(QWidget *widget, const QString &text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

// A closed dialog deletes itself on the next pass of deferred deletions.
void runDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Closing hid the dialog, and it deleted itself once the event loop got to it.
template <typename Dialog> void expectClosedAndDeleted(QPointer<Dialog> &dialog) {
    ASSERT_FALSE(dialog.isNull());
    EXPECT_FALSE(dialog->isVisible());
    runDeferredDeletes();
    EXPECT_TRUE(dialog.isNull());
}

// Same row: the vertical spans overlap. Left: ends before the other starts.
bool sameRow(const QWidget *a, const QWidget *b) {
    return a->geometry().top() < b->geometry().bottom() &&
           b->geometry().top() < a->geometry().bottom();
}
bool leftOf(const QWidget *a, const QWidget *b) {
    return a->geometry().right() < b->geometry().left();
}
bool above(const QWidget *a, const QWidget *b) {
    return a->geometry().bottom() < b->geometry().top();
}

// The label sits on the box's row, to its left.
void expectLabelBeside(QWidget *dialog, const QString &text, const QString &box) {
    SCOPED_TRACE(text.toStdString());
    QLabel *label = labelWithText(dialog, text);
    QWidget *field = child<QWidget>(dialog, box);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(sameRow(label, field));
    EXPECT_TRUE(leftOf(label, field));
}

// ---------------------------------------------------------------------------
// What every dialog shows: captions, names, label texts, accessibility and a
// layout in which nothing is clipped or overlaps.

struct Button {
    QString name;
    QString text;
};

struct ShapeCase {
    const char *id;
    std::function<QDialog *()> make;
    QString objectName;
    QString caption;
    QStringList labels; // every label's text
    QStringList boxes;  // text boxes (and the name combo), by objectName
    std::vector<Button> buttons;
    bool onTop;
};

std::vector<ShapeCase> shapeCases() {
    return {
        {"parameter",
         [] {
             return new ParameterDialog({{"LEVEL", "5"}, {"", ""}});
         },
         "Dialog",
         "Dialog Caption",
         {QStringLiteral("Parámeter:"), "Value"},
         {"Param", "Valor"},
         {{"OKButton", "OK"}, {"CancelButton", "Exit"}},
         false},
        {"ftp", [] { return new FtpDialog("u", "p", "s"); }, "FTPData", "FTP Server Data",
         QStringList{"User:", "Password:", "Server:"},
         QStringList{"ftpuser", "ftppass", "ftpserver"},
         std::vector<Button>{{"FTPData_Accept", "Accept"}}, false},
        {"alarm", [] { return new AlarmDialog; }, "AlarmDialog", "Alarm",
         QStringList{"Id:", "Alarm:"}, QStringList{"Id_alarm", "Cod_alarm"},
         std::vector<Button>{{"OKButton", "OK"}, {"CancelButton", "Cancel"}}, false},
        {"linux", [] { return new LinuxCommandDialog; }, "Comando_Linux", "Comand",
         QStringList{"Comand:"}, QStringList{"Comand"},
         std::vector<Button>{{"OKButton", "OK"}, {"CancelButton", "Cancel"}}, true},
        {"historic",
         [] { return new HistoricDialog(QDateTime(QDate(2019, 3, 7), QTime(14, 25))); },
         "ContadorHistoricos",
         QStringLiteral("Datos históricos de Contador"),
         {QStringLiteral("Hora:"), QStringLiteral("Día:"), QStringLiteral("Mes:"),
          QStringLiteral("Año:"), "Desde:", "Hasta:", "/", "/", "/", "/", kHint},
         {"Hour1", "day1", "month1", "year1", "Hour2", "day2", "month2", "year2"},
         {{"Aceptar", "Aceptar"}, {"Cancelar", "Cancelar"}},
         true},
    };
}

class DialogShapeTest : public ::testing::TestWithParam<ShapeCase> {
protected:
    void SetUp() override {
        m_dialog.reset(GetParam().make());
        m_dialog->show();
    }
    std::unique_ptr<QDialog> m_dialog;
};

TEST_P(DialogShapeTest, CaptionNamesAndLabelsAreExact) {
    const ShapeCase &c = GetParam();
    EXPECT_EQ(m_dialog->objectName(), c.objectName);
    EXPECT_EQ(m_dialog->windowTitle(), c.caption);
    EXPECT_TRUE(m_dialog->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(m_dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.onTop);
    EXPECT_FALSE(m_dialog->isModal());

    QStringList expectedLabels = c.labels;
    expectedLabels.sort();
    EXPECT_EQ(sortedLabelTexts(m_dialog.get()), expectedLabels);
    // A label's text is what assistive tools read; a name would hide it.
    const auto labels = m_dialog->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        EXPECT_TRUE(label->accessibleName().isEmpty()) << label->text().toStdString();
    }

    const auto buttons = m_dialog->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), static_cast<qsizetype>(c.buttons.size()));
    for (const Button &expected : c.buttons) {
        auto *button = child<QPushButton>(m_dialog.get(), expected.name);
        ASSERT_NE(button, nullptr) << expected.name.toStdString();
        EXPECT_EQ(button->text(), expected.text);
        EXPECT_TRUE(button->isVisible());
    }

    // Every box the operator types into is named for assistive tools, and the
    // names tell the boxes apart.
    QStringList accessibleNames;
    for (const QString &name : c.boxes) {
        auto *box = child<QWidget>(m_dialog.get(), name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        EXPECT_TRUE(qobject_cast<QLineEdit *>(box) || qobject_cast<QComboBox *>(box));
        EXPECT_TRUE(box->isVisible()) << name.toStdString();
        EXPECT_FALSE(box->accessibleName().isEmpty()) << name.toStdString();
        accessibleNames << box->accessibleName();
    }
    accessibleNames.removeDuplicates();
    EXPECT_EQ(accessibleNames.size(), c.boxes.size());
    // No stray text boxes besides the named ones (the combo's own edit aside).
    const auto edits = m_dialog->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(edits.size() + m_dialog->findChildren<QComboBox *>().size(), c.boxes.size());
}

TEST_P(DialogShapeTest, FixedLayoutShowsEveryControlWhole) {
    QDialog *dialog = m_dialog.get();
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->size(), dialog->minimumSize());

    const auto widgets = dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(widgets.isEmpty());
    for (const QWidget *w : widgets) {
        SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(dialog->rect().contains(w->geometry()));
        for (const QWidget *other : widgets) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << "overlaps " << other->metaObject()->className() << " "
                    << other->objectName().toStdString();
            }
        }
        if (const auto *label = qobject_cast<const QLabel *>(w)) {
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height())
                    << label->text().toStdString();
            } else {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << label->text().toStdString();
            }
        }
        if (const auto *button = qobject_cast<const QPushButton *>(w)) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, DialogShapeTest, ::testing::ValuesIn(shapeCases()),
                         [](const ::testing::TestParamInfo<ShapeCase> &info) {
                             return std::string(info.param.id);
                         });

// ---------------------------------------------------------------------------
// Parameter dialog

class ParameterDialogTest : public ::testing::Test {
protected:
    // Two listings' worth of table: the slot after the last parameter still
    // holds a name left over from an earlier, longer listing.
    const std::vector<std::pair<QString, QString>> kSlots = {
        {"LEVEL", "5"}, {" MODE ", " fast "}, {"X", "1:2"}, {"", "7"}, {"OLD", "9"}};

    void open(std::vector<std::pair<QString, QString>> table) {
        m_dialog = new ParameterDialog(std::move(table));
        m_dialog->show();
        // Focus, and with it completion and leaving a box, works only in the
        // active window.
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog));
        m_param = child<QComboBox>(m_dialog, "Param");
        m_valor = child<QLineEdit>(m_dialog, "Valor");
        m_ok = child<QPushButton>(m_dialog, "OKButton");
        m_exit = child<QPushButton>(m_dialog, "CancelButton");
        ASSERT_TRUE(m_param && m_valor && m_ok && m_exit);
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<ParameterDialog> m_dialog;
    QComboBox *m_param = nullptr;
    QLineEdit *m_valor = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_exit = nullptr;
};

TEST_F(ParameterDialogTest, ListHoldsEverySlotInOrderAndBothFieldsStartEmpty) {
    const std::vector<std::vector<std::pair<QString, QString>>> tables = {
        kSlots,
        {{"A", "1"}, {"B", "2"}, {"", ""}}, // first listing of a run: last entry empty
        {{"", ""}},                         // nothing collected yet
    };
    for (const auto &table : tables) {
        SCOPED_TRACE(table.size());
        open(table);
        EXPECT_TRUE(m_param->isEditable());
        ASSERT_EQ(m_param->count(), static_cast<int>(table.size()));
        for (int i = 0; i < m_param->count(); ++i) {
            EXPECT_EQ(m_param->itemText(i), table[static_cast<std::size_t>(i)].first);
        }
        EXPECT_EQ(m_param->currentIndex(), -1);
        EXPECT_EQ(m_param->currentText(), "");
        EXPECT_EQ(m_param->lineEdit()->text(), "");
        EXPECT_EQ(m_valor->text(), "");
        delete m_dialog.data();
    }
}

TEST_F(ParameterDialogTest, NameRowAboveValueRowAboveButtonsAndValueBoxIsWider) {
    open(kSlots);
    expectLabelBeside(m_dialog, QStringLiteral("Parámeter:"), "Param");
    expectLabelBeside(m_dialog, "Value", "Valor");
    EXPECT_TRUE(above(m_param, m_valor));
    EXPECT_TRUE(above(m_valor, m_ok));
    EXPECT_TRUE(sameRow(m_ok, m_exit));
    EXPECT_TRUE(leftOf(m_ok, m_exit));
    EXPECT_GT(m_valor->width(), m_param->width());
}

TEST_F(ParameterDialogTest, PickingAnEntryShowsThatSlotsValue) {
    open(kSlots);
    // Every position, the last (left-over) entry included, and back again.
    for (int i : {0, 1, 2, 3, 4, 2, 0}) {
        SCOPED_TRACE(i);
        m_param->setCurrentIndex(i);
        Q_EMIT m_param->activated(i);
        EXPECT_EQ(m_valor->text(), kSlots[static_cast<std::size_t>(i)].second);
    }
    // The first listing's trailing empty slot shows an empty value.
    delete m_dialog.data();
    open({{"A", "1"}, {"", ""}});
    Q_EMIT m_param->activated(0);
    EXPECT_EQ(m_valor->text(), "1");
    Q_EMIT m_param->activated(1);
    EXPECT_EQ(m_valor->text(), "");
}

TEST_F(ParameterDialogTest, ClickingAnEntryOfTheDropDownPicksIt) {
    open(kSlots);
    m_param->showPopup();
    QAbstractItemView *view = m_param->view();
    ASSERT_TRUE(view->isVisible());
    const QRect entry = view->visualRect(view->model()->index(2, 0));
    ASSERT_TRUE(entry.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
    EXPECT_EQ(m_param->currentText(), "X");
    EXPECT_EQ(m_valor->text(), "1:2");
}

TEST_F(ParameterDialogTest, ArrowKeysInTheNameBoxPickEntries) {
    open(kSlots);
    m_param->setFocus();
    QTest::keyClick(m_param, Qt::Key_Down);
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    EXPECT_EQ(m_valor->text(), "5");
    QTest::keyClick(m_param, Qt::Key_Down);
    EXPECT_EQ(m_param->currentText(), " MODE ");
    EXPECT_EQ(m_valor->text(), " fast ");
}

TEST_F(ParameterDialogTest, OkSendsNameFieldAndValueAsTheyStandAndStaysOpen) {
    open(kSlots);
    QSignalSpy spy(m_dialog.data(), &ParameterDialog::sendRequested);

    // A picked name with its stored value.
    Q_EMIT m_param->activated(0);
    m_param->setCurrentIndex(0);
    m_ok->click();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), "LEVEL");
    EXPECT_EQ(spy[0][1].toString(), "5");
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    EXPECT_EQ(m_valor->text(), "5");

    struct Typed {
        QString name, value;
    };
    const std::vector<Typed> typed = {
        {"NEWNAME", "7"},             // not in the list
        {"LEV", "1"},                 // a prefix of a listed name is not completed
        {"level", "2"},               // nor is another case turned into the listed one
        {" A B ", " c:d "}, {"", ""}, // empty name and value go out as they are
    };
    for (const Typed &t : typed) {
        SCOPED_TRACE(t.name.toStdString());
        spy.clear();
        m_param->clearEditText();
        m_valor->clear();
        m_param->setFocus();
        typeText(m_param->lineEdit(), t.name);
        typeText(m_valor, t.value);
        m_ok->click();
        ASSERT_EQ(spy.size(), 1);
        EXPECT_EQ(spy[0][0].toString(), t.name);
        EXPECT_EQ(spy[0][1].toString(), t.value);
        EXPECT_TRUE(m_dialog->isVisible());
        EXPECT_EQ(m_param->currentText(), t.name);
        EXPECT_EQ(m_valor->text(), t.value);
        EXPECT_EQ(m_param->count(), static_cast<int>(kSlots.size()));
    }
    runDeferredDeletes();
    EXPECT_FALSE(m_dialog.isNull());
}

TEST_F(ParameterDialogTest, TypingANameAndLeavingTheBoxDoesNotReplaceTheValue) {
    open(kSlots);
    QSignalSpy spy(m_dialog.data(), &ParameterDialog::sendRequested);
    // Value first, then a listed name typed by hand: the value stays the typed one.
    m_valor->setFocus();
    typeText(m_valor, "42");
    m_param->setFocus();
    typeText(m_param->lineEdit(), "LEVEL");
    QTest::keyClick(m_param->lineEdit(), Qt::Key_Tab);
    EXPECT_TRUE(m_valor->hasFocus());
    EXPECT_EQ(m_valor->text(), "42");
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    // Enter in the name box sends what stands in the two boxes.
    m_param->setFocus();
    QTest::keyClick(m_param->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(m_valor->text(), "42");
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), "LEVEL");
    EXPECT_EQ(spy[0][1].toString(), "42");
    EXPECT_EQ(m_param->count(), static_cast<int>(kSlots.size()));
}

TEST_F(ParameterDialogTest, ExitClosesWithoutSending) {
    open(kSlots);
    QSignalSpy spy(m_dialog.data(), &ParameterDialog::sendRequested);
    typeText(m_param->lineEdit(), "LEVEL");
    typeText(m_valor, "3");
    m_exit->click();
    EXPECT_EQ(spy.size(), 0);
    expectClosedAndDeleted(m_dialog);
}

// ---------------------------------------------------------------------------
// FTP account form

class FtpDialogTest : public ::testing::Test {
protected:
    void open(const QString &user, const QString &pass, const QString &server) {
        m_dialog = new FtpDialog(user, pass, server);
        m_dialog->show();
        m_user = child<QLineEdit>(m_dialog, "ftpuser");
        m_pass = child<QLineEdit>(m_dialog, "ftppass");
        m_server = child<QLineEdit>(m_dialog, "ftpserver");
        m_accept = child<QPushButton>(m_dialog, "FTPData_Accept");
        ASSERT_TRUE(m_user && m_pass && m_server && m_accept);
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<FtpDialog> m_dialog;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_pass = nullptr;
    QLineEdit *m_server = nullptr;
    QPushButton *m_accept = nullptr;
};

TEST_F(FtpDialogTest, BoxesStartWithTheGivenAccountAndThePasswordIsMaskedWithStars) {
    struct Case {
        QString user, pass, server;
    };
    const std::vector<Case> cases = {
        {"ftpuser", "secret", "ftp.example.net"},
        {"", "", ""}, // no FTP entry in the list file
        {"a:b@c", "p@ss:w", "10.0.0.1:2121"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.user.toStdString());
        open(c.user, c.pass, c.server);
        EXPECT_EQ(m_user->text(), c.user);
        EXPECT_EQ(m_pass->text(), c.pass);
        EXPECT_EQ(m_server->text(), c.server);
        EXPECT_EQ(m_user->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(m_server->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(m_pass->echoMode(), QLineEdit::Password);
        EXPECT_EQ(
            m_pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, m_pass),
            '*');
        EXPECT_EQ(m_pass->displayText(), QString(c.pass.size(), QLatin1Char('*')));
        delete m_dialog.data();
    }
}

TEST_F(FtpDialogTest, RowsAreLabelledAndTheServerBoxIsWidest) {
    open("u", "p", "s");
    expectLabelBeside(m_dialog, "User:", "ftpuser");
    expectLabelBeside(m_dialog, "Password:", "ftppass");
    expectLabelBeside(m_dialog, "Server:", "ftpserver");
    EXPECT_TRUE(above(m_user, m_pass));
    EXPECT_TRUE(above(m_pass, m_server));
    EXPECT_TRUE(above(m_server, m_accept));
    EXPECT_GT(m_server->width(), m_user->width());
    EXPECT_GT(m_server->width(), m_pass->width());
}

TEST_F(FtpDialogTest, AcceptHandsBackTheEditedTextsAndLeavesClosingToItsOwner) {
    struct Case {
        QString user, pass, server; // typed over the prefilled boxes
    };
    const std::vector<Case> cases = {
        {"ftpuser", "secret", "ftp.example.net"}, // unchanged
        {"", "secret", "ftp.example.net"},        // user cleared: still handed back
        {"other", "", ""},
        {" op:1 ", " pw@x ", " host "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.user.toStdString());
        open("ftpuser", "secret", "ftp.example.net");
        QSignalSpy spy(m_dialog.data(), &FtpDialog::accepted);
        bool visibleWhenEmitted = false;
        QObject::connect(
            m_dialog.data(), &FtpDialog::accepted, m_dialog.data(),
            [this, &visibleWhenEmitted] { visibleWhenEmitted = m_dialog->isVisible(); });
        for (auto [box, text] : {std::pair{m_user, c.user}, std::pair{m_pass, c.pass},
                                 std::pair{m_server, c.server}}) {
            box->clear();
            typeText(box, text);
        }
        m_accept->click();
        ASSERT_EQ(spy.size(), 1);
        EXPECT_EQ(spy[0][0].toString(), c.user);
        EXPECT_EQ(spy[0][1].toString(), c.pass);
        EXPECT_EQ(spy[0][2].toString(), c.server);
        EXPECT_TRUE(visibleWhenEmitted);
        EXPECT_TRUE(m_dialog->isVisible());
        m_dialog->close();
        expectClosedAndDeleted(m_dialog);
    }
}

TEST_F(FtpDialogTest, ClosingWithoutAcceptHandsNothingBack) {
    const std::vector<std::pair<const char *, std::function<void(FtpDialog *)>>> ways = {
        {"close box", [](FtpDialog *d) { d->close(); }},
        {"Escape", [](FtpDialog *d) { QTest::keyClick(d, Qt::Key_Escape); }},
    };
    for (const auto &[way, closeIt] : ways) {
        SCOPED_TRACE(way);
        open("ftpuser", "secret", "ftp.example.net");
        QSignalSpy spy(m_dialog.data(), &FtpDialog::accepted);
        m_user->setText("edited");
        closeIt(m_dialog);
        EXPECT_EQ(spy.size(), 0);
        runDeferredDeletes();
        EXPECT_TRUE(m_dialog.isNull());
    }
}

// ---------------------------------------------------------------------------
// Test-alarm and Linux command forms: OK hands back the texts as typed and
// closes; Cancel closes and hands back nothing.

class AlarmDialogTest : public ::testing::Test {
protected:
    void open() {
        m_dialog = new AlarmDialog;
        m_dialog->show();
        m_id = child<QLineEdit>(m_dialog, "Id_alarm");
        m_code = child<QLineEdit>(m_dialog, "Cod_alarm");
        m_ok = child<QPushButton>(m_dialog, "OKButton");
        m_cancel = child<QPushButton>(m_dialog, "CancelButton");
        ASSERT_TRUE(m_id && m_code && m_ok && m_cancel);
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<AlarmDialog> m_dialog;
    QLineEdit *m_id = nullptr;
    QLineEdit *m_code = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

TEST_F(AlarmDialogTest, BoxesStartEmptyInLabelledRowsAboveTheButtons) {
    open();
    EXPECT_EQ(m_id->text(), "");
    EXPECT_EQ(m_code->text(), "");
    expectLabelBeside(m_dialog, "Id:", "Id_alarm");
    expectLabelBeside(m_dialog, "Alarm:", "Cod_alarm");
    EXPECT_TRUE(above(m_id, m_code));
    EXPECT_TRUE(above(m_code, m_ok));
    EXPECT_TRUE(sameRow(m_ok, m_cancel));
    EXPECT_TRUE(leftOf(m_ok, m_cancel));
}

TEST_F(AlarmDialogTest, OkHandsBackBothTextsAsTypedAndLeavesClosingToItsOwner) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"12", "3"}, {"99999999", "0"}, {" 7 ", "  "}, {"", ""}, {"abc", "-1"}, {"12.6", "1e3"},
    };
    for (const auto &[id, code] : cases) {
        SCOPED_TRACE(id.toStdString() + "|" + code.toStdString());
        open();
        QSignalSpy spy(m_dialog.data(), &AlarmDialog::okRequested);
        bool visibleWhenEmitted = false;
        QObject::connect(
            m_dialog.data(), &AlarmDialog::okRequested, m_dialog.data(),
            [this, &visibleWhenEmitted] { visibleWhenEmitted = m_dialog->isVisible(); });
        typeText(m_id, id);
        typeText(m_code, code);
        m_ok->click();
        ASSERT_EQ(spy.size(), 1);
        EXPECT_EQ(spy[0][0].toString(), id);
        EXPECT_EQ(spy[0][1].toString(), code);
        EXPECT_TRUE(visibleWhenEmitted);
        EXPECT_TRUE(m_dialog->isVisible());
        m_dialog->close();
        expectClosedAndDeleted(m_dialog);
    }
}

TEST_F(AlarmDialogTest, EnterInABoxIsOk) {
    open();
    QSignalSpy spy(m_dialog.data(), &AlarmDialog::okRequested);
    typeText(m_id, "5");
    m_code->setFocus();
    typeText(m_code, "6");
    QTest::keyClick(m_code, Qt::Key_Return);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), "5");
    EXPECT_EQ(spy[0][1].toString(), "6");
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(AlarmDialogTest, CancelAndTheCloseBoxHandBackNothing) {
    for (bool viaCancel : {true, false}) {
        SCOPED_TRACE(viaCancel);
        open();
        QSignalSpy spy(m_dialog.data(), &AlarmDialog::okRequested);
        typeText(m_id, "12");
        typeText(m_code, "3");
        if (viaCancel) {
            m_cancel->click();
        } else {
            m_dialog->close();
        }
        EXPECT_EQ(spy.size(), 0);
        expectClosedAndDeleted(m_dialog);
    }
}

class LinuxCommandDialogTest : public ::testing::Test {
protected:
    void open() {
        m_dialog = new LinuxCommandDialog;
        m_dialog->show();
        m_command = child<QLineEdit>(m_dialog, "Comand");
        m_ok = child<QPushButton>(m_dialog, "OKButton");
        m_cancel = child<QPushButton>(m_dialog, "CancelButton");
        ASSERT_TRUE(m_command && m_ok && m_cancel);
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<LinuxCommandDialog> m_dialog;
    QLineEdit *m_command = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

TEST_F(LinuxCommandDialogTest, BoxStartsEmptyBesideItsLabelAboveTheButtons) {
    open();
    EXPECT_EQ(m_command->text(), "");
    expectLabelBeside(m_dialog, "Comand:", "Comand");
    EXPECT_TRUE(above(m_command, m_ok));
    EXPECT_TRUE(sameRow(m_ok, m_cancel));
    EXPECT_TRUE(leftOf(m_ok, m_cancel));
}

TEST_F(LinuxCommandDialogTest, OkHandsBackTheLineExactlyAsTypedAndLeavesClosingToItsOwner) {
    const QStringList lines = {"ls -l",
                               "  uptime  ",
                               "",
                               " ",
                               "echo \"a  b\" | tr a-z A-Z > /tmp/x; cat /tmp/x",
                               QStringLiteral("ls Caño")};
    for (const QString &line : lines) {
        SCOPED_TRACE(line.toStdString());
        open();
        QSignalSpy spy(m_dialog.data(), &LinuxCommandDialog::commandRequested);
        typeText(m_command, line);
        m_ok->click();
        ASSERT_EQ(spy.size(), 1);
        EXPECT_EQ(spy[0][0].toString(), line);
        EXPECT_TRUE(m_dialog->isVisible());
        m_dialog->close();
        expectClosedAndDeleted(m_dialog);
    }
}

TEST_F(LinuxCommandDialogTest, CancelAndTheCloseBoxHandBackNothing) {
    for (bool viaCancel : {true, false}) {
        SCOPED_TRACE(viaCancel);
        open();
        QSignalSpy spy(m_dialog.data(), &LinuxCommandDialog::commandRequested);
        typeText(m_command, "reboot");
        if (viaCancel) {
            m_cancel->click();
        } else {
            m_dialog->close();
        }
        EXPECT_EQ(spy.size(), 0);
        expectClosedAndDeleted(m_dialog);
    }
}

// ---------------------------------------------------------------------------
// Historic-counter form

QStringList texts(const argumentchecks::HistoricBoxes &b) {
    return {b.hour1, b.day1, b.month1, b.year1, b.hour2, b.day2, b.month2, b.year2};
}

const QStringList kBoxNames = {"Hour1", "day1", "month1", "year1",
                               "Hour2", "day2", "month2", "year2"};

class HistoricDialogTest : public ::testing::Test {
protected:
    void open(const QDateTime &now) {
        m_dialog = new HistoricDialog(now);
        m_dialog->show();
        m_boxes.clear();
        for (const QString &name : kBoxNames) {
            auto *box = child<QLineEdit>(m_dialog, name);
            ASSERT_NE(box, nullptr) << name.toStdString();
            m_boxes << box;
        }
        m_accept = child<QPushButton>(m_dialog, "Aceptar");
        m_cancel = child<QPushButton>(m_dialog, "Cancelar");
        ASSERT_TRUE(m_accept && m_cancel);
    }
    QStringList boxTexts() const {
        QStringList t;
        for (const QLineEdit *box : m_boxes) {
            t << box->text();
        }
        return t;
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<HistoricDialog> m_dialog;
    QList<QLineEdit *> m_boxes;
    QPushButton *m_accept = nullptr;
    QPushButton *m_cancel = nullptr;
};

TEST_F(HistoricDialogTest, BoxesStartFromHourZeroTodayToNow) {
    struct Case {
        QDateTime now;
        QStringList expected; // in the order of kBoxNames
    };
    const std::vector<Case> cases = {
        {QDateTime(QDate(2019, 3, 7), QTime(14, 25)),
         {"0", "7", "3", "2019", "14", "7", "3", "2019"}},
        {QDateTime(QDate(2024, 12, 31), QTime(9, 5)),
         {"0", "31", "12", "2024", "9", "31", "12", "2024"}},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), {"0", "1", "1", "2000", "0", "1", "1", "2000"}},
        {QDateTime(QDate(2031, 10, 10), QTime(23, 59, 59)),
         {"0", "10", "10", "2031", "23", "10", "10", "2031"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        open(c.now);
        EXPECT_EQ(boxTexts(), c.expected);
        delete m_dialog.data();
    }
}

TEST_F(HistoricDialogTest, HintIsExactAndSitsUnderTheButtons) {
    open(QDateTime(QDate(2019, 3, 7), QTime(14, 25)));
    auto *hint = child<QLabel>(m_dialog, "Para");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), kHint);
    EXPECT_EQ(hint->text().count(QStringLiteral(" y  en ")), 1);
    EXPECT_TRUE(above(m_accept, hint));
    EXPECT_TRUE(above(m_cancel, hint));
    EXPECT_TRUE(sameRow(m_accept, m_cancel));
    EXPECT_TRUE(leftOf(m_accept, m_cancel));
}

TEST_F(HistoricDialogTest, BoxesFormTwoRowsUnderTheirColumnHeaders) {
    open(QDateTime(QDate(2019, 3, 7), QTime(14, 25)));
    QLabel *desde = labelWithText(m_dialog, "Desde:");
    QLabel *hasta = labelWithText(m_dialog, "Hasta:");
    ASSERT_TRUE(desde && hasta);
    const QStringList headers = {QStringLiteral("Hora:"), QStringLiteral("Día:"),
                                 QStringLiteral("Mes:"), QStringLiteral("Año:")};
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        QLabel *rowLabel = row == 0 ? desde : hasta;
        for (int column = 0; column < 4; ++column) {
            QLineEdit *box = m_boxes[row * 4 + column];
            QLineEdit *sameColumn = m_boxes[(1 - row) * 4 + column];
            QLabel *header = labelWithText(m_dialog, headers[column]);
            ASSERT_NE(header, nullptr);
            EXPECT_TRUE(sameRow(rowLabel, box));
            EXPECT_TRUE(leftOf(rowLabel, box));
            EXPECT_EQ(box->x(), sameColumn->x());
            EXPECT_TRUE(above(header, box));
            EXPECT_TRUE(header->x() < box->geometry().right() &&
                        box->x() < header->geometry().right());
            if (column > 0) {
                EXPECT_TRUE(leftOf(m_boxes[row * 4 + column - 1], box));
            }
        }
        EXPECT_TRUE(above(m_boxes[row * 4 + 3], m_accept));
    }
    EXPECT_TRUE(above(m_boxes[0], m_boxes[4]));

    // A "/" between day and month and between month and year, on each row.
    int slashes = 0;
    const auto labels = m_dialog->findChildren<QLabel *>();
    for (QLabel *slash : labels) {
        if (slash->text() != "/") {
            continue;
        }
        ++slashes;
        const int row = sameRow(slash, m_boxes[0]) ? 0 : 1;
        EXPECT_TRUE(sameRow(slash, m_boxes[row * 4]));
        const bool dayMonth =
            leftOf(m_boxes[row * 4 + 1], slash) && leftOf(slash, m_boxes[row * 4 + 2]);
        const bool monthYear =
            leftOf(m_boxes[row * 4 + 2], slash) && leftOf(slash, m_boxes[row * 4 + 3]);
        EXPECT_TRUE(dayMonth != monthYear);
    }
    EXPECT_EQ(slashes, 4);
}

TEST_F(HistoricDialogTest, AceptarHandsBackTheEightTextsAsTypedAndLeavesClosingToItsOwner) {
    const QDateTime now(QDate(2019, 3, 7), QTime(14, 25));
    const std::vector<QStringList> cases = {
        {"0", "7", "3", "2019", "14", "7", "3", "2019"},  // as preset
        {"30", "1", "2", "2020", "24", "3", "4", "2021"}, // out-of-range hours untouched
        {" 1 ", "", "abc", "1999", "-1", "07", "3.5", " 2019"},
    };
    for (const QStringList &typed : cases) {
        SCOPED_TRACE(typed.join('|').toStdString());
        open(now);
        QSignalSpy spy(m_dialog.data(), &HistoricDialog::accepted);
        for (int i = 0; i < m_boxes.size(); ++i) {
            m_boxes[i]->clear();
            typeText(m_boxes[i], typed[i]);
        }
        m_accept->click();
        ASSERT_EQ(spy.size(), 1);
        EXPECT_EQ(texts(spy[0][0].value<argumentchecks::HistoricBoxes>()), typed);
        EXPECT_TRUE(m_dialog->isVisible());
        m_dialog->close();
        expectClosedAndDeleted(m_dialog);
    }
}

TEST_F(HistoricDialogTest, CancelarAndTheCloseBoxHandBackNothing) {
    for (bool viaCancelar : {true, false}) {
        SCOPED_TRACE(viaCancelar);
        open(QDateTime(QDate(2019, 3, 7), QTime(14, 25)));
        QSignalSpy spy(m_dialog.data(), &HistoricDialog::accepted);
        if (viaCancelar) {
            m_cancel->click();
        } else {
            m_dialog->close();
        }
        EXPECT_EQ(spy.size(), 0);
        expectClosedAndDeleted(m_dialog);
    }
}

} // namespace
