#include "clipboard/ClipboardNotesService.h"

#include <QDir>
#include <QFile>
#include <QTextBoundaryFinder>
#include <QUuid>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/Text.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Platform.h"
#include "platform/SaveReport.h"

namespace {

QString newId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// The first `count` user-perceived characters.
QString leftGraphemes(const QString& s, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    for (int taken = 0; taken < count; ++taken) {
        if (finder.toNextBoundary() == -1) {
            return s;
        }
    }
    return s.left(finder.position());
}

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

std::optional<QList<ClipboardNoteTab>> decodeFile(const QString& path) {
    const auto bytes = readFile(path);
    return bytes ? ClipboardNoteTab::decodeList(*bytes) : std::nullopt;
}

}  // namespace

ClipboardNotesService::ClipboardNotesService(Defaults& defaults, Clock& clock, QString folder,
                                             SaveReport* report, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      clock_(clock),
      folder_(std::move(folder)),
      report_(report) {
    load();
    if (!report_) {
        return;
    }
    // A save that could not be written is tried again once another store could write, and on
    // the way out.
    connect(report_, &SaveReport::writeAgainDue, this, [this] {
        if (report_->isFailing(this)) {
            save();
        }
    });
    connect(report_, &SaveReport::lastWritesDue, this, &ClipboardNotesService::flush);
}

ClipboardNotesService& ClipboardNotesService::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        return new ClipboardNotesService(*platform.defaults, *platform.clock, storageDirectory(),
                                         platform.saveReport.get());
    }();
    return *instance;
}

QString ClipboardNotesService::storageDirectory() {
    return AppPaths::dataDir();
}

QString ClipboardNotesService::filePath() const {
    return folder_ + QLatin1Char('/') + kFileName;
}

QString ClipboardNotesService::backupPath() const {
    return folder_ + QLatin1Char('/') + kBackupFileName;
}

QString ClipboardNotesService::normalizedTitle(const QString& title, const QString& fallback) {
    const QString trimmed = text::trimmed(title);
    if (trimmed.isEmpty()) {
        return fallback;
    }
    return leftGraphemes(trimmed, kTitleLimit);
}

// Loading

void ClipboardNotesService::load() {
    std::optional<QList<ClipboardNoteTab>> fromFile;
    if (QFile::exists(filePath())) {
        fromFile = decodeFile(filePath());
        mainUnreadable_ = !fromFile;
    }
    if (!fromFile) {
        fromFile = decodeFile(backupPath());
    }
    std::optional<QList<ClipboardNoteTab>> fallback;
    if (const auto data = defaults_.dataValue(kFallbackKey)) {
        fallback = ClipboardNoteTab::decodeList(*data);
    }
    // A fallback is left by a write that failed; it wins over the file when it holds the later
    // change, so that write's edits survive a restart.
    if (fromFile && fallback) {
        const auto fileLatest = ClipboardNoteTab::latestUpdate(*fromFile);
        const auto fallbackLatest = ClipboardNoteTab::latestUpdate(*fallback);
        const bool fallbackIsLater =
            fallbackLatest && (!fileLatest || *fallbackLatest > *fileLatest);
        tabs_ = fallbackIsLater ? std::move(*fallback) : std::move(*fromFile);
    } else if (fromFile) {
        tabs_ = std::move(*fromFile);
    } else if (fallback) {
        tabs_ = std::move(*fallback);
    }
}

// Operations

void ClipboardNotesService::setTabs(QList<ClipboardNoteTab> tabs) {
    tabs_ = std::move(tabs);
    Q_EMIT tabsChanged(tabs_);
}

ClipboardNoteTab* ClipboardNotesService::findTab(const QString& id) {
    for (ClipboardNoteTab& tab : tabs_) {
        if (tab.id == id) {
            return &tab;
        }
    }
    return nullptr;
}

std::optional<ClipboardNoteTab> ClipboardNotesService::tab(const QString& id) const {
    for (const ClipboardNoteTab& tab : tabs_) {
        if (tab.id == id) {
            return tab;
        }
    }
    return std::nullopt;
}

void ClipboardNotesService::publishAndSave() {
    Q_EMIT tabsChanged(tabs_);
    save();
}

void ClipboardNotesService::touchAndSave(ClipboardNoteTab& tab, const QDateTime& now) {
    tab.updatedAt = now;
    publishAndSave();
}

ClipboardNoteTab ClipboardNotesService::addTab(const QString& title) {
    const QDateTime now = clock_.currentDateTime();
    ClipboardNoteTab tab{newId(), normalizedTitle(title, QStringLiteral("Notes")), {}, now, now};
    tabs_.append(tab);
    publishAndSave();
    return tab;
}

void ClipboardNotesService::renameTab(const QString& id, const QString& title) {
    ClipboardNoteTab* tab = findTab(id);
    if (!tab) {
        return;
    }
    tab->title = normalizedTitle(title, tab->title);
    touchAndSave(*tab, clock_.currentDateTime());
}

std::optional<ClipboardNoteItem> ClipboardNotesService::addNote(const QString& tabId,
                                                                const QString& text) {
    ClipboardNoteTab* tab = findTab(tabId);
    const QString trimmed = text::trimmed(text);
    if (!tab || trimmed.isEmpty()) {
        return std::nullopt;
    }
    const QDateTime now = clock_.currentDateTime();
    ClipboardNoteItem note{newId(), trimmed, now, now};
    tab->notes.prepend(note);
    touchAndSave(*tab, now);
    return note;
}

void ClipboardNotesService::updateNote(const QString& tabId, const QString& noteId,
                                       const QString& text) {
    ClipboardNoteTab* tab = findTab(tabId);
    if (!tab) {
        return;
    }
    const auto note =
        std::find_if(tab->notes.begin(), tab->notes.end(),
                     [&](const ClipboardNoteItem& item) { return item.id == noteId; });
    const QString trimmed = text::trimmed(text);
    if (note == tab->notes.end() || trimmed.isEmpty()) {
        return;
    }
    const QDateTime now = clock_.currentDateTime();
    note->text = trimmed;
    note->updatedAt = now;
    touchAndSave(*tab, now);
}

void ClipboardNotesService::deleteNote(const QString& tabId, const QString& noteId) {
    deleteNotes(tabId, {noteId});
}

void ClipboardNotesService::deleteNotes(const QString& tabId, const QStringList& noteIds) {
    ClipboardNoteTab* tab = findTab(tabId);
    if (!tab) {
        return;
    }
    tab->notes.removeIf([&](const ClipboardNoteItem& note) { return noteIds.contains(note.id); });
    touchAndSave(*tab, clock_.currentDateTime());
}

void ClipboardNotesService::deleteTab(const QString& id) {
    const auto removed = tabs_.removeIf([&](const ClipboardNoteTab& tab) { return tab.id == id; });
    if (removed > 0) {
        publishAndSave();
    }
}

// Saving

void ClipboardNotesService::save() {
    const QByteArray bytes = ClipboardNoteTab::encodeList(tabs_);
    unsaved_ = true;
    errno = 0;
    if (!AppPaths::makePrivateFolder(folder_)) {
        writeFallback(bytes, errno);
        return;
    }
    // A damaged main file is kept as it is, never copied over the good backup.
    if (mainUnreadable_) {
        errno = 0;
        if (!moveUnreadableAside()) {
            writeFallback(bytes, errno);
            return;
        }
        mainUnreadable_ = false;
    }
    if (QFile::exists(filePath())) {
        copyMainToBackup();
    }
    if (atomicFile::write(filePath(), bytes)) {
        unsaved_ = false;
        removeFallback();
        if (report_) {
            report_->saved(this);
        }
    } else {
        writeFallback(bytes, errno);
    }
}

void ClipboardNotesService::flush() {
    if (unsaved_) {
        save();
    }
}

bool ClipboardNotesService::moveUnreadableAside() {
    if (!QFile::exists(filePath())) {
        return true;
    }
    const QString stamp =
        clock_.currentDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    return QFile::rename(filePath(),
                         folder_ + QLatin1Char('/') + kUnreadablePrefix + stamp + ".json");
}

void ClipboardNotesService::copyMainToBackup() {
    // Only a main file that loads may become the backup.
    const auto bytes = readFile(filePath());
    if (!bytes || !ClipboardNoteTab::decodeList(*bytes)) {
        return;
    }
    // Made beside and renamed over the old backup: a crash never leaves half of one. A hard
    // link costs no copy, and the main file is always replaced by a new one, never rewritten
    // in place. A failure leaves the old backup and the save goes on.
    namespace fs = std::filesystem;
    const fs::path temporary = (backupPath() + QStringLiteral(".new")).toStdString();
    std::error_code error;
    fs::remove(temporary, error);
    // A main file that is a symbolic link: the backup links the file it leads to, or it would
    // be one more link to the file the next save replaces.
    const fs::path mainFile = fs::canonical(filePath().toStdString(), error);
    if (!error) {
        fs::create_hard_link(mainFile, temporary, error);
    }
    if (!error) {
        fs::rename(temporary, backupPath().toStdString(), error);
        // A rename between two links of one file does nothing: after a main write that failed
        // the backup already is the main file, and the new link would stay.
        fs::remove(temporary, error);
        return;
    }
    atomicFile::write(backupPath(), *bytes);
}

void ClipboardNotesService::writeFallback(const QByteArray& bytes, int error) {
    defaults_.setData(kFallbackKey, bytes);
    defaults_.sync();
    if (!report_) {
        return;
    }
    // In the fallback the notes still outlive a restart.
    if (defaults_.hasUnwrittenChanges()) {
        report_->failed(this, error != 0 ? error : EIO);
    } else {
        report_->saved(this);
    }
}

void ClipboardNotesService::removeFallback() {
    // The file now holds everything; a stale fallback must not compete with it at the next
    // start.
    if (defaults_.hasObject(kFallbackKey)) {
        defaults_.remove(kFallbackKey);
        defaults_.sync();
    }
}
