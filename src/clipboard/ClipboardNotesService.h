#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "clipboard/ClipboardNoteTab.h"

class Clock;
class Defaults;
class SaveReport;

// The user's notes: named tabs of short texts, kept in one JSON file with a backup of the
// previous file, and in the defaults when the file cannot be written. Loads once, at creation;
// every change saves at once.
class ClipboardNotesService : public QObject {
    Q_OBJECT
public:
    static inline const QString kFileName = QStringLiteral("clipboard-notes.json");
    static inline const QString kBackupFileName = QStringLiteral("clipboard-notes.backup.json");
    // A main file that could not be read is moved aside to this name, the UTC time and ".json".
    static inline const QString kUnreadablePrefix = QStringLiteral("clipboard-notes.unreadable-");
    static inline const QString kFallbackKey = QStringLiteral("nivelo.clipboardNotes.fallback");
    static constexpr int kTitleLimit = 32;

    // Loads from the files in `folder`, and from the fallback in `defaults`. Tells `report`
    // whether each save reached the main file or the fallback, and saves again when it asks.
    ClipboardNotesService(Defaults& defaults, Clock& clock, QString folder,
                          SaveReport* report = nullptr, QObject* parent = nullptr);

    // The process-wide instance over the current platform, created on first use.
    static ClipboardNotesService& shared();
    // $XDG_DATA_HOME/ai.nivelo.native, else the same name in the user's own temporary folder.
    static QString storageDirectory();

    const QList<ClipboardNoteTab>& tabs() const { return tabs_; }
    // Replaces the tabs; whoever changes them calls save() afterwards.
    void setTabs(QList<ClipboardNoteTab> tabs);

    // Appends a tab (a blank title gives "Notes"), saves and returns it.
    ClipboardNoteTab addTab(const QString& title);
    // A blank title keeps the old one; stamps and saves either way.
    void renameTab(const QString& id, const QString& title);
    // Adds a note at the front; none for a missing tab or blank text.
    std::optional<ClipboardNoteItem> addNote(const QString& tabId, const QString& text);
    // Blank text leaves the note as it was; an edited note keeps its place.
    void updateNote(const QString& tabId, const QString& noteId, const QString& text);
    // Stamps the tab and saves, also when the note was not there.
    void deleteNote(const QString& tabId, const QString& noteId);
    // Many notes of one tab: one stamp, one save.
    void deleteNotes(const QString& tabId, const QStringList& noteIds);
    // One save.
    void deleteTab(const QString& id);
    std::optional<ClipboardNoteTab> tab(const QString& id) const;

    // Writes the tabs to the main file (the previous one becomes the backup), else to the
    // defaults. The main file is replaced whole or not at all. A save that reached neither is
    // told to the report.
    void save();
    // Saves again when the last save did not reach the main file; the report asks for it at
    // quit.
    void flush();

    // The title trimmed and cut to 32 user-perceived characters; blank: the fallback as it is.
    static QString normalizedTitle(const QString& title, const QString& fallback);

    QString folder() const { return folder_; }
    QString filePath() const;
    QString backupPath() const;

Q_SIGNALS:
    void tabsChanged(const QList<ClipboardNoteTab>& tabs);

private:
    void load();
    ClipboardNoteTab* findTab(const QString& id);
    // Stamps the tab, publishes and saves.
    void touchAndSave(ClipboardNoteTab& tab, const QDateTime& now);
    void publishAndSave();
    bool moveUnreadableAside();
    void copyMainToBackup();
    // Falls back to the defaults after the main file failed for `error`.
    void writeFallback(const QByteArray& bytes, int error);
    void removeFallback();

    Defaults& defaults_;
    Clock& clock_;
    QString folder_;
    SaveReport* report_;
    QList<ClipboardNoteTab> tabs_;
    // The main file did not decode at load; it is moved aside before the next write.
    bool mainUnreadable_ = false;
    // The last save did not reach the main file.
    bool unsaved_ = false;
};
