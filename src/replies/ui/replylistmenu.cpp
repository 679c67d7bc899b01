#include "replies/ui/replylistmenu.h"

#include "base/filereader.h"
#include "base/prompter.h"
#include "base/texts.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

void copyToClipboard(const QStringList &entries) {
    if (entries.isEmpty()) {
        return;
    }
    QString text;
    for (const QString &entry : entries) {
        text += entry + QLatin1Char('\n');
    }
    QGuiApplication::clipboard()->setText(text);
}

// Unbuffered, so a failure shows in write() with its reason rather than in the flush at
// commit. A write that stops short without an error (the disk filled up part-way) is
// repeated for the rest, which then fails with the system's reason or completes.
bool writeWhole(QSaveFile &file, const QByteArray &bytes) {
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 step = file.write(bytes.constData() + written, bytes.size() - written);
        if (step <= 0) {
            return false;
        }
        written += step;
    }
    return true;
}

// Why a save to path is refused before anything is written: a FIFO, device or socket would
// be replaced by a regular file. A folder is left to the save, which names it as such.
std::optional<QString> refusedTarget(const QString &path) {
    return QFileInfo(path).isDir() ? std::nullopt : notRegularFile(path);
}

// Qt's own file dialog reads a double quote in the typed name as the start of a list of
// names, and saves to one of them: `notes"loggers.txt` became the working folder's
// loggers.txt. What the operator typed is checked before the dialog reads it, and before its
// replace question; a native dialog takes the name whole and has no line to look at.
class SaveDialog final : public QFileDialog {
public:
    SaveDialog(QWidget *parent, const QString &title, const QString &proposedName,
               Prompter &prompter)
        : QFileDialog(parent, title, QString(), texts::kTextFileFilter), m_prompter(prompter) {
        setAcceptMode(QFileDialog::AcceptSave);
        setDefaultSuffix(QStringLiteral("txt"));
        selectFile(proposedName);
    }

    void accept() override {
        const auto *typed = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!typed) {
            QFileDialog::accept();
            return;
        }
        if (typed->text().contains(u'"')) {
            m_prompter.inform(texts::cannotSave(typed->text(), texts::kQuoteInFileName),
                              Prompter::Icon::Warning);
            return;
        }
        const QString path = selectedFiles().value(0);
        if (const auto reason = refusedTarget(path); reason && !path.isEmpty()) {
            m_prompter.inform(texts::cannotSave(path, *reason), Prompter::Icon::Warning);
            return;
        }
        QFileDialog::accept();
    }

private:
    Prompter &m_prompter;
};

} // namespace

QString ReplyListMenu::chooseWithDialog(QWidget *parent, const QString &title,
                                        const QString &proposedName, Prompter &prompter) {
    SaveDialog dialog(parent, title, proposedName, prompter);
    // A modal window like a box: the connection's waits and pauses hold while it is open.
    const Prompter::OpenBox open(prompter);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

ReplyListMenu::ReplyListMenu(QListWidget &list, QString saveTitle, QString fileName,
                             Prompter &prompter, ChooseFile chooseFile)
    : QObject(&list), m_list(list), m_saveTitle(std::move(saveTitle)),
      m_fileName(std::move(fileName)), m_prompter(prompter),
      m_chooseFile(chooseFile ? std::move(chooseFile)
                              : [&prompter](QWidget *parent, const QString &title,
                                            const QString &proposedName) {
                                    return chooseWithDialog(parent, title, proposedName, prompter);
                                }),
      m_menu(new QMenu(&list)), m_copy(m_menu->addAction(texts::kCopy)),
      m_copyAll(m_menu->addAction(texts::kCopyAll)), m_saveAs(m_menu->addAction(texts::kSaveAs)) {
    connect(m_copy, &QAction::triggered, this, &ReplyListMenu::copySelected);
    connect(m_copyAll, &QAction::triggered, this, &ReplyListMenu::copyAll);
    connect(m_saveAs, &QAction::triggered, this, &ReplyListMenu::saveAs);
    m_list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_list, &QWidget::customContextMenuRequested, this, &ReplyListMenu::showMenu);
}

text8::Encoded ReplyListMenu::fileBytes(const QStringList &entries) {
    text8::Encoded file;
    for (const QString &entry : entries) {
        text8::Encoded line = text8::fromDisplay(entry);
        if (!line.ok()) {
            return line;
        }
        file.bytes += line.bytes + "\r\n";
    }
    return file;
}

QStringList ReplyListMenu::selectedEntries() const {
    // The selection comes in the order of selecting; the clipboard gets the list's order.
    QModelIndexList selected = m_list.selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    QStringList entries;
    for (const QModelIndex &index : std::as_const(selected)) {
        entries.append(m_list.item(index.row())->text());
    }
    return entries;
}

QStringList ReplyListMenu::allEntries() const {
    QStringList entries;
    entries.reserve(m_list.count());
    for (int row = 0; row < m_list.count(); ++row) {
        entries.append(m_list.item(row)->text());
    }
    return entries;
}

void ReplyListMenu::copySelected() {
    copyToClipboard(selectedEntries());
}

void ReplyListMenu::copyAll() {
    copyToClipboard(allEntries());
}

void ReplyListMenu::saveAs() {
    // The dialog runs its own event loop, in which the window and its lists may go away.
    const QPointer<ReplyListMenu> alive(this);
    const QString path = m_chooseFile(m_list.window(), m_saveTitle, m_fileName);
    if (alive && !path.isEmpty()) {
        saveTo(path);
    }
}

bool ReplyListMenu::saveTo(const QString &path) {
    const auto refuse = [&](const QString &reason) {
        m_prompter.inform(texts::cannotSave(path, reason), Prompter::Icon::Warning);
        return false;
    };
    // Also after the dialog's replace question: something else may have taken the name.
    if (const auto reason = refusedTarget(path)) {
        return refuse(*reason);
    }
    const text8::Encoded bytes = fileBytes(allEntries());
    if (!bytes.ok()) {
        return refuse(texts::notInCodePage(*bytes.unmappable));
    }
    // Written beside the target and renamed over it on commit: a full disk or any other
    // failure removes what was written and leaves an existing file as it was.
    QSaveFile file(path);
    if (!writeWhole(file, bytes.bytes)) {
        return refuse(file.errorString());
    }
    // Once more right before the rename, which would put the file in a FIFO's place.
    if (const auto reason = refusedTarget(path)) {
        file.cancelWriting();
        return refuse(*reason);
    }
    if (!file.commit()) {
        return refuse(file.errorString());
    }
    return true;
}

void ReplyListMenu::showMenu(QPoint pos) {
    m_copy->setEnabled(!m_list.selectedItems().isEmpty());
    m_copyAll->setEnabled(m_list.count() > 0);
    m_saveAs->setEnabled(m_list.count() > 0);
    m_menu->popup(m_list.viewport()->mapToGlobal(pos));
}
