#include "replies/ui/listevidence.h"

#include "console/prompter.h"
#include "console/texts.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>
#include <algorithm>
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

} // namespace

QString ListEvidence::chooseWithDialog(QWidget *parent, const QString &title) {
    return QFileDialog::getSaveFileName(parent, title, QString(), texts::kTextFileFilter);
}

ListEvidence::ListEvidence(QListWidget &list, Prompter &prompter, ChooseFile chooseFile)
    : QObject(&list), m_list(list), m_prompter(prompter), m_chooseFile(std::move(chooseFile)),
      m_menu(new QMenu(&list)), m_copy(m_menu->addAction(texts::kCopy)),
      m_copyAll(m_menu->addAction(texts::kCopyAll)), m_saveAs(m_menu->addAction(texts::kSaveAs)) {
    connect(m_copy, &QAction::triggered, this, &ListEvidence::copySelected);
    connect(m_copyAll, &QAction::triggered, this, &ListEvidence::copyAll);
    connect(m_saveAs, &QAction::triggered, this, &ListEvidence::saveAs);
    m_list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_list, &QWidget::customContextMenuRequested, this, &ListEvidence::showMenu);
}

text8::Encoded ListEvidence::fileBytes(const QStringList &entries) {
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

QStringList ListEvidence::selectedEntries() const {
    // The selection comes in the order of selecting; the clipboard gets the list's order.
    QModelIndexList selected = m_list.selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    QStringList entries;
    for (const QModelIndex &index : std::as_const(selected)) {
        entries.append(m_list.item(index.row())->text());
    }
    return entries;
}

QStringList ListEvidence::allEntries() const {
    QStringList entries;
    entries.reserve(m_list.count());
    for (int row = 0; row < m_list.count(); ++row) {
        entries.append(m_list.item(row)->text());
    }
    return entries;
}

void ListEvidence::copySelected() {
    copyToClipboard(selectedEntries());
}

void ListEvidence::copyAll() {
    copyToClipboard(allEntries());
}

QString ListEvidence::saveTitle() const {
    if (m_list.objectName() == QLatin1String("List1")) {
        return texts::kSaveTraceList;
    }
    if (m_list.objectName() == QLatin1String("List2")) {
        return texts::kSaveOperationList;
    }
    return texts::kSaveList;
}

void ListEvidence::saveAs() {
    // The dialog runs its own event loop, in which the window and its lists may go away.
    const QPointer<ListEvidence> alive(this);
    const QString path = m_chooseFile(m_list.window(), saveTitle());
    if (alive && !path.isEmpty()) {
        saveTo(path);
    }
}

bool ListEvidence::saveTo(const QString &path) {
    const text8::Encoded bytes = fileBytes(allEntries());
    if (!bytes.ok()) {
        m_prompter.inform(texts::cannotSave(path, texts::notInCodePage(*bytes.unmappable)),
                          Prompter::Icon::Warning);
        return false;
    }
    // Written beside the target and renamed over it on commit: a full disk or any other
    // failure removes what was written and leaves an existing file as it was.
    QSaveFile file(path);
    if (!writeWhole(file, bytes.bytes) || !file.commit()) {
        m_prompter.inform(texts::cannotSave(path, file.errorString()), Prompter::Icon::Warning);
        return false;
    }
    return true;
}

void ListEvidence::showMenu(QPoint pos) {
    m_copy->setEnabled(!m_list.selectedItems().isEmpty());
    m_copyAll->setEnabled(m_list.count() > 0);
    m_saveAs->setEnabled(m_list.count() > 0);
    m_menu->popup(m_list.viewport()->mapToGlobal(pos));
}
