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

QStringList texts(const argumentchecks::HistoricBoxes &b) {
    return {b.hour1, b.day1, b.month1, b.year1, b.hour2, b.day2, b.month2, b.year2};
}

const QStringList kBoxNames = {"Hour1", "day1", "month1", "year1",
                               "Hour2", "day2", "month2", "year2"};

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
// What every form shows: captions, names, label texts, accessibility, rows in order and a
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
    QStringList labels;                            // every label's text
    std::vector<std::pair<QString, QString>> rows; // label and box, top to bottom
    QString widest;                                // the box wider than every other
    std::vector<Button> buttons;                   // left to right, under the rows
    bool onTop;
    QStringList initial; // the boxes' texts as the form opens, in the order of rows
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
         {{QStringLiteral("Parámeter:"), "Param"}, {"Value", "Valor"}},
         "Valor",
         {{"OKButton", "OK"}, {"CancelButton", "Exit"}},
         false,
         {"", ""}},
        {"ftp",
         [] { return new FtpDialog("u", "p", "s"); },
         "FTPData",
         "FTP Server Data",
         {"User:", "Password:", "Server:"},
         {{"User:", "ftpuser"}, {"Password:", "ftppass"}, {"Server:", "ftpserver"}},
         "ftpserver",
         {{"FTPData_Accept", "Accept"}},
         false,
         {"u", "p", "s"}},
        {"alarm",
         [] { return new AlarmDialog; },
         "AlarmDialog",
         "Alarm",
         {"Id:", "Alarm:"},
         {{"Id:", "Id_alarm"}, {"Alarm:", "Cod_alarm"}},
         {},
         {{"OKButton", "OK"}, {"CancelButton", "Cancel"}},
         false,
         {"", ""}},
        {"linux",
         [] { return new LinuxCommandDialog; },
         "Comando_Linux",
         "Comand",
         {"Comand:"},
         {{"Comand:", "Comand"}},
         {},
         {{"OKButton", "OK"}, {"CancelButton", "Cancel"}},
         true,
         {""}},
        {"historic",
         [] { return new HistoricDialog(QDateTime(QDate(2019, 3, 7), QTime(14, 25))); },
         "ContadorHistoricos",
         QStringLiteral("Datos históricos de Contador"),
         {QStringLiteral("Hora:"), QStringLiteral("Día:"), QStringLiteral("Mes:"),
          QStringLiteral("Año:"), "Desde:", "Hasta:", "/", "/", "/", "/", kHint},
         {{"Desde:", "Hour1"}, {"Hasta:", "Hour2"}},
         {},
         {{"Aceptar", "Aceptar"}, {"Cancelar", "Cancelar"}},
         true,
         {"0", "14"}},
    };
}

void PrintTo(const ShapeCase &c, std::ostream *out) {
    *out << c.id;
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
    const auto edits = m_dialog->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly);
    const auto combos = m_dialog->findChildren<QComboBox *>();
    QStringList accessibleNames;
    for (QWidget *box : QList<QWidget *>(edits.begin(), edits.end()) +
                            QList<QWidget *>(combos.begin(), combos.end())) {
        EXPECT_FALSE(box->accessibleName().isEmpty()) << box->objectName().toStdString();
        accessibleNames << box->accessibleName();
    }
    accessibleNames.removeDuplicates();
    EXPECT_EQ(accessibleNames.size(), edits.size() + combos.size());
}

TEST_P(DialogShapeTest, RowsStandLabelledInOrderAboveTheButtons) {
    const ShapeCase &c = GetParam();
    QWidget *previous = nullptr;
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        const auto &[label, name] = c.rows[i];
        expectLabelBeside(m_dialog.get(), label, name);
        QWidget *box = child<QWidget>(m_dialog.get(), name);
        ASSERT_NE(box, nullptr);
        auto *edit = qobject_cast<QLineEdit *>(box);
        if (auto *combo = qobject_cast<QComboBox *>(box)) {
            edit = combo->lineEdit();
        }
        EXPECT_EQ(edit->text(), c.initial[i]) << name.toStdString();
        if (previous) {
            EXPECT_TRUE(above(previous, box)) << name.toStdString();
        }
        previous = box;
        if (!c.widest.isEmpty() && name != c.widest) {
            EXPECT_GT(child<QWidget>(m_dialog.get(), c.widest)->width(), box->width());
        }
    }
    QWidget *left = nullptr;
    for (const Button &b : c.buttons) {
        QWidget *button = child<QWidget>(m_dialog.get(), b.name);
        EXPECT_TRUE(above(previous, button)) << b.name.toStdString();
        if (left) {
            EXPECT_TRUE(sameRow(left, button));
            EXPECT_TRUE(leftOf(left, button));
        }
        left = button;
    }
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
// One form at a time, opened as its owner opens it: what it hands back, and when it closes.

class FormTest : public ::testing::Test {
protected:
    template <typename Dialog> Dialog *open(Dialog *dialog) {
        m_dialog = dialog;
        dialog->show();
        return dialog;
    }
    QLineEdit *box(const QString &name) const {
        if (auto *combo = child<QComboBox>(m_dialog, name)) {
            return combo->lineEdit();
        }
        return child<QLineEdit>(m_dialog, name);
    }
    QPushButton *button(const QString &name) const { return child<QPushButton>(m_dialog, name); }
    // Spies on the form's one "send this" signal, whatever it carries.
    std::unique_ptr<QSignalSpy> spyOnSubmitted() const {
        const QMetaObject *meta = m_dialog->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).name() == "submitted") {
                return std::make_unique<QSignalSpy>(m_dialog.data(), meta->method(i));
            }
        }
        return nullptr;
    }
    void TearDown() override {
        delete m_dialog.data();
        runDeferredDeletes();
    }

    QPointer<QDialog> m_dialog;
};

// OK (Accept, Aceptar) hands back the texts exactly as typed and leaves closing to the
// form's owner, which acts on them first; Cancel and the close box hand back nothing.
struct HandBackCase {
    const char *id;
    std::function<QDialog *()> make;
    QStringList boxes;
    QStringList typed;
    const char *ok;
    const char *cancel; // none: only the close box
};

void PrintTo(const HandBackCase &c, std::ostream *out) {
    *out << c.id;
}

class HandBackTest : public FormTest, public ::testing::WithParamInterface<HandBackCase> {};

TEST_P(HandBackTest, OkHandsBackWhatWasTypedAndCancelNothing) {
    const HandBackCase &c = GetParam();
    for (const char *way : {c.ok, c.cancel, "close box"}) {
        if (!way) {
            continue;
        }
        SCOPED_TRACE(way);
        open(c.make());
        const auto spy = spyOnSubmitted();
        ASSERT_NE(spy, nullptr);
        for (qsizetype i = 0; i < c.boxes.size(); ++i) {
            box(c.boxes[i])->clear();
            typeText(box(c.boxes[i]), c.typed[i]);
        }
        if (qstrcmp(way, "close box") == 0) {
            m_dialog->close();
        } else {
            button(way)->click();
        }
        if (way != c.ok) {
            EXPECT_EQ(spy->size(), 0);
            expectClosedAndDeleted(m_dialog);
            continue;
        }
        ASSERT_EQ(spy->size(), 1);
        QStringList handedBack;
        for (const QVariant &argument : spy->at(0)) {
            if (argument.canConvert<argumentchecks::HistoricBoxes>()) {
                handedBack << texts(argument.value<argumentchecks::HistoricBoxes>());
            } else {
                handedBack << argument.toString();
            }
        }
        EXPECT_EQ(handedBack, c.typed);
        EXPECT_TRUE(m_dialog->isVisible()); // its owner closes it, once it has acted
        m_dialog->close();
        expectClosedAndDeleted(m_dialog);
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, HandBackTest,
    ::testing::Values(
        HandBackCase{"alarm",
                     [] { return new AlarmDialog; },
                     {"Id_alarm", "Cod_alarm"},
                     {" 7 ", "1e3"},
                     "OKButton",
                     "CancelButton"},
        HandBackCase{"alarmEmpty",
                     [] { return new AlarmDialog; },
                     {"Id_alarm", "Cod_alarm"},
                     {"", ""},
                     "OKButton",
                     nullptr},
        HandBackCase{"linux",
                     [] { return new LinuxCommandDialog; },
                     {"Comand"},
                     {"echo \"a  b\" | tr a-z A-Z > /tmp/x; cat /tmp/x"},
                     "OKButton",
                     "CancelButton"},
        HandBackCase{"linuxBlanks",
                     [] { return new LinuxCommandDialog; },
                     {"Comand"},
                     {QStringLiteral("  ls Caño  ")},
                     "OKButton",
                     nullptr},
        HandBackCase{"ftp",
                     [] { return new FtpDialog("ftpuser", "secret", "ftp.example.net"); },
                     {"ftpuser", "ftppass", "ftpserver"},
                     {" op:1 ", " pw@x ", " host "},
                     "FTPData_Accept",
                     nullptr},
        HandBackCase{"ftpUserCleared",
                     [] { return new FtpDialog("ftpuser", "secret", "ftp.example.net"); },
                     {"ftpuser", "ftppass", "ftpserver"},
                     {"", "secret", "ftp.example.net"},
                     "FTPData_Accept",
                     nullptr},
        HandBackCase{"historic",
                     [] { return new HistoricDialog(QDateTime(QDate(2019, 3, 7), QTime(14, 25))); },
                     kBoxNames,
                     {" 1 ", "", "abc", "1999", "24", "07", "3.5", " 2019"},
                     "Aceptar",
                     "Cancelar"}),
    [](const auto &info) { return std::string(info.param.id); });

TEST_F(FormTest, EnterInTheLastBoxIsOk) {
    open(new AlarmDialog);
    const auto spy = spyOnSubmitted();
    typeText(box("Id_alarm"), "5");
    box("Cod_alarm")->setFocus();
    typeText(box("Cod_alarm"), "6");
    QTest::keyClick(box("Cod_alarm"), Qt::Key_Return);
    ASSERT_EQ(spy->size(), 1);
    EXPECT_EQ(spy->at(0)[0].toString(), "5");
    EXPECT_EQ(spy->at(0)[1].toString(), "6");
}

TEST_F(FormTest, ThePasswordIsMaskedWithOneStarACharacter) {
    for (const QString &pass : {QStringLiteral("p@ss:w"), QString()}) {
        open(new FtpDialog("a:b@c", pass, "10.0.0.1:2121"));
        QLineEdit *masked = box("ftppass");
        EXPECT_EQ(box("ftpuser")->echoMode(), QLineEdit::Normal);
        EXPECT_EQ(masked->echoMode(), QLineEdit::Password);
        EXPECT_EQ(
            masked->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, masked),
            '*');
        EXPECT_EQ(masked->displayText(), QString(pass.size(), QLatin1Char('*')));
        delete m_dialog.data();
    }
}

// ---------------------------------------------------------------------------
// Parameter dialog: a snapshot of the table, and it stays open after OK.

class ParameterDialogTest : public FormTest {
protected:
    // Two listings' worth of table: the slot after the last parameter still
    // holds a name left over from an earlier, longer listing.
    const std::vector<std::pair<QString, QString>> kSlots = {
        {"LEVEL", "5"}, {" MODE ", " fast "}, {"X", "1:2"}, {"", "7"}, {"OLD", "9"}};

    void open(std::vector<std::pair<QString, QString>> table) {
        FormTest::open(new ParameterDialog(std::move(table)));
        // Focus, and with it completion and leaving a box, works only in the
        // active window.
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog));
        m_param = child<QComboBox>(m_dialog, "Param");
        m_value = box("Valor");
        ASSERT_TRUE(m_param && m_value);
    }

    QComboBox *m_param = nullptr;
    QLineEdit *m_value = nullptr;
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
        EXPECT_EQ(m_value->text(), "");
        delete m_dialog.data();
    }
}

TEST_F(ParameterDialogTest, PickingAnEntryShowsThatSlotsValue) {
    open(kSlots);
    // Every position, the last (left-over) entry included, and back again.
    for (int i : {0, 1, 2, 3, 4, 2, 0}) {
        SCOPED_TRACE(i);
        m_param->setCurrentIndex(i);
        Q_EMIT m_param->activated(i);
        EXPECT_EQ(m_value->text(), kSlots[static_cast<std::size_t>(i)].second);
    }
    // The first listing's trailing empty slot shows an empty value.
    delete m_dialog.data();
    open({{"A", "1"}, {"", ""}});
    Q_EMIT m_param->activated(0);
    EXPECT_EQ(m_value->text(), "1");
    Q_EMIT m_param->activated(1);
    EXPECT_EQ(m_value->text(), "");
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
    EXPECT_EQ(m_value->text(), "1:2");
}

TEST_F(ParameterDialogTest, ArrowKeysInTheNameBoxPickEntries) {
    open(kSlots);
    m_param->setFocus();
    QTest::keyClick(m_param, Qt::Key_Down);
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    EXPECT_EQ(m_value->text(), "5");
    QTest::keyClick(m_param, Qt::Key_Down);
    EXPECT_EQ(m_param->currentText(), " MODE ");
    EXPECT_EQ(m_value->text(), " fast ");
}

TEST_F(ParameterDialogTest, OkSendsNameFieldAndValueAsTheyStandAndStaysOpen) {
    open(kSlots);
    const auto spy = spyOnSubmitted();

    // A picked name with its stored value.
    Q_EMIT m_param->activated(0);
    m_param->setCurrentIndex(0);
    button("OKButton")->click();
    ASSERT_EQ(spy->size(), 1);
    EXPECT_EQ(spy->at(0)[0].toString(), "LEVEL");
    EXPECT_EQ(spy->at(0)[1].toString(), "5");
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    EXPECT_EQ(m_value->text(), "5");

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
        spy->clear();
        m_param->clearEditText();
        m_value->clear();
        m_param->setFocus();
        typeText(m_param->lineEdit(), t.name);
        typeText(m_value, t.value);
        button("OKButton")->click();
        ASSERT_EQ(spy->size(), 1);
        EXPECT_EQ(spy->at(0)[0].toString(), t.name);
        EXPECT_EQ(spy->at(0)[1].toString(), t.value);
        EXPECT_TRUE(m_dialog->isVisible());
        EXPECT_EQ(m_param->currentText(), t.name);
        EXPECT_EQ(m_value->text(), t.value);
        EXPECT_EQ(m_param->count(), static_cast<int>(kSlots.size()));
    }
    runDeferredDeletes();
    EXPECT_FALSE(m_dialog.isNull());
}

TEST_F(ParameterDialogTest, TypingANameAndLeavingTheBoxDoesNotReplaceTheValue) {
    open(kSlots);
    const auto spy = spyOnSubmitted();
    // Value first, then a listed name typed by hand: the value stays the typed one.
    m_value->setFocus();
    typeText(m_value, "42");
    m_param->setFocus();
    typeText(m_param->lineEdit(), "LEVEL");
    QTest::keyClick(m_param->lineEdit(), Qt::Key_Tab);
    EXPECT_TRUE(m_value->hasFocus());
    EXPECT_EQ(m_value->text(), "42");
    EXPECT_EQ(m_param->currentText(), "LEVEL");
    // Enter in the name box sends what stands in the two boxes.
    m_param->setFocus();
    QTest::keyClick(m_param->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(m_value->text(), "42");
    ASSERT_EQ(spy->size(), 1);
    EXPECT_EQ(spy->at(0)[0].toString(), "LEVEL");
    EXPECT_EQ(spy->at(0)[1].toString(), "42");
    EXPECT_EQ(m_param->count(), static_cast<int>(kSlots.size()));
}

TEST_F(ParameterDialogTest, ExitClosesWithoutSending) {
    open(kSlots);
    const auto spy = spyOnSubmitted();
    typeText(m_param->lineEdit(), "LEVEL");
    typeText(m_value, "3");
    button("CancelButton")->click();
    EXPECT_EQ(spy->size(), 0);
    expectClosedAndDeleted(m_dialog);
}

// ---------------------------------------------------------------------------
// Historic-counter form: preset from the time it opens, two rows of four boxes.

class HistoricDialogTest : public FormTest {
protected:
    void open(const QDateTime &now) {
        FormTest::open(new HistoricDialog(now));
        m_boxes.clear();
        for (const QString &name : kBoxNames) {
            m_boxes << box(name);
        }
        m_accept = button("Aceptar");
        m_cancel = button("Cancelar");
    }
    QStringList boxTexts() const {
        QStringList t;
        for (const QLineEdit *b : m_boxes) {
            t << b->text();
        }
        return t;
    }

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

} // namespace
