#pragma once

#include "base/text8.h"

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <functional>

class Prompter;
class QAction;
class QListWidget;
class QMenu;
class QWidget;

// A reply list's context menu, so the operator can keep and pass on what a logger said:
// Copy the selected entries, Copy all, or Save as… a text file, each entry exactly as
// shown. Lives as a child of its list.
class ReplyListMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplyListMenu)

public:
    // Asks for the file to save to; an empty answer means the operator cancelled.
    using ChooseFile =
        std::function<QString(QWidget *parent, const QString &title, const QString &proposedName)>;
    // The file dialog, taking the typed name whole: a name with a double quote, which the
    // dialog would read as a list of names, and a target that exists but is not a regular
    // file are refused (told through prompter) while the dialog stays open.
    // It proposes proposedName and adds ".txt" to a name typed without a suffix.
    static QString chooseWithDialog(QWidget *parent, const QString &title,
                                    const QString &proposedName, Prompter &prompter);

    // saveTitle and fileName: the file dialog's title and the name it proposes. Without
    // chooseFile, the file dialog asks.
    ReplyListMenu(QListWidget &list, QString saveTitle, QString fileName, Prompter &prompter,
                  ChooseFile chooseFile = {});

    // The entries as a file holds them: Windows-1252, every line ended by CR LF. Refuses
    // (bytes empty, the character named) an entry the code page cannot carry.
    static text8::Encoded fileBytes(const QStringList &entries);

    // The clipboard gets the entries one a line, each ended by a newline, as a block of
    // lines copied from an editor; with no entries it is left alone.
    void copySelected();
    void copyAll();
    // Asks for a file name, then saves there.
    void saveAs();
    // Writes every entry to path, replacing the file only once all of it is written, so
    // a failure leaves no partial file. Refuses a path that names a FIFO, device or socket.
    // Tells the operator why it failed.
    bool saveTo(const QString &path);

private:
    QStringList selectedEntries() const;
    QStringList allEntries() const;
    void showMenu(QPoint pos);

    QListWidget &m_list;
    const QString m_saveTitle;
    const QString m_fileName;
    Prompter &m_prompter;
    ChooseFile m_chooseFile;
    QMenu *m_menu;
    QAction *m_copy;
    QAction *m_copyAll;
    QAction *m_saveAs;
};
