#include <gtest/gtest.h>

#include "clipboardwindow/ClipboardWindowFixture.h"

// The window's view state: tab names, search and the two-press bulk delete, text size, the
// preview's width, empty texts, selection upkeep and the note operations, in both languages.
namespace {

class ModelTest : public ClipboardWindowTest {
protected:
    ClipboardWindowModel model{capture.history, notes, &windowDefaults};

    ClipboardWindowView view(int width = 400) const { return clipboardWindowView(model, width); }
    QStringList tabTitles() const {
        QStringList out;
        for (const auto& tab : notes.tabs()) {
            out.append(tab.title);
        }
        return out;
    }
};

TEST_F(ModelTest, NewTabsAreNamedAfterTheBaseNameAndTheTabCount) {
    struct Case {
        UiLanguage lang;
        QStringList existing;
        bool addNote;  // "Add note" on the history tab; else the plus button
        QString expected;
    };
    const Case cases[] = {
        {UiLanguage::en, {}, false, "Notes"},
        {UiLanguage::en, {"Notes"}, false, "Notes 2"},
        {UiLanguage::en, {"Notes", "Work"}, false, "Notes 3"},
        {UiLanguage::en, {"Notes 2"}, false, "Notes"},
        {UiLanguage::en, {}, true, "Notes"},
        {UiLanguage::en, {"A", "B"}, true, "Notes 3"},
        {UiLanguage::ru, {"Заметки"}, false, "Заметки 2"},
        {UiLanguage::ru, {"Notes"}, true, "Заметки 2"},
    };
    for (const Case& c : cases) {
        notes.setTabs({});
        for (const QString& title : c.existing) {
            notes.addTab(title);
        }
        model.selectTab(ClipboardWindowModel::kHistoryTabID);
        model.setLanguage(c.lang);
        if (c.addNote) {
            model.startNewNote();
        } else {
            model.addTabAndStartRename();
        }
        const auto& added = notes.tabs().last();
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(added.title, c.expected);
        EXPECT_EQ(model.selectedTabID(), added.id);
        // The plus names the tab in place; "Add note" opens an empty editor in it.
        EXPECT_EQ(model.renamingTabID() == added.id, !c.addNote);
        EXPECT_EQ(model.isEditingNote(), c.addNote);
        EXPECT_EQ(view().noteEditor.has_value(), c.addNote);
    }
}

TEST_F(ModelTest, RenamingTrimsCutsAndKeepsTheOldTitleForABlankOne) {
    const QString id = addTab("Work", {});
    model.selectTab(id);
    const std::pair<QString, QString> cases[] = {
        {"  Plans  ", "Plans"}, {"   ", "Plans"}, {QString(40, 'x'), QString(32, 'x')}};
    for (const auto& [typed, stored] : cases) {
        model.startRenameTab();
        EXPECT_TRUE(view().renaming);
        model.setTabTitleDraft(typed);
        model.finishRenameTab();
        EXPECT_EQ(notes.tab(id)->title, stored);
        EXPECT_FALSE(view().renaming);
    }
}

TEST_F(ModelTest, SearchFindsCaseInsensitivelyInTheShownTabOnly) {
    setHistory({"Apple pie", "banana", "green APPLE"});
    const QString work = addTab("Work", {"apple note", "pear"});
    addTab("Other", {"apple elsewhere"});
    model.setSearchText("APPLE");
    EXPECT_EQ(model.filteredHistoryItems().size(), 2);
    model.selectTab(work);
    ASSERT_EQ(model.filteredNotes().size(), 1);
    EXPECT_EQ(model.filteredNotes().first().text, "apple note");
    // Blanks only: the query is empty, the whole list is found, yet the bulk delete shows.
    model.setSearchText("   ");
    EXPECT_EQ(model.foundCount(), 2);
    EXPECT_TRUE(view().bulkDeleteShown);
    EXPECT_TRUE(view().clearSearchShown);
}

// As the user's locale reads text: canonically equivalent forms are one, case folds in full
// (by the Turkish rules under a Turkish locale), and a match covers whole characters; in the
// history as in a notes tab.
TEST_F(ModelTest, SearchMatchesAsTheUsersLocaleReadsText) {
    const char* composed = "Caf\u00e9 au lait";
    const char* decomposed = "Cafe\u0301 noir";
    const QStringList texts{"Stra\u00dfe 5", composed,     decomposed,    "\u0130stanbul",
                            "IRMAK",         "ПРИВЕТ мир", "plain ascii", "q\u0301 mark"};
    setHistory(texts);
    const QString tab = addTab("Work", texts);
    const struct {
        const char* locale;
        const char* query;
        QStringList found;
    } cases[] = {
        {"en_US", "strasse", {texts[0]}},
        {"de_DE", "STRASSE", {texts[0]}},
        {"de_DE", "stra\u00dfe", {texts[0]}},
        {"en_US", "caf\u00e9", {composed, decomposed}},
        {"en_US", "CAFE\u0301", {composed, decomposed}},
        {"en_US", "cafe", {}},
        {"en_US", "q", {}},
        {"en_US", "q\u0301", {texts[7]}},
        {"ru_RU", "привет", {texts[5]}},
        {"ru_RU", "МИР", {texts[5]}},
        {"en_US", "irmak", {texts[4]}},
        {"tr_TR", "irmak", {}},
        {"tr_TR", "\u0131rmak", {texts[4]}},
        {"tr_TR", "istanbul", {texts[3]}},
        {"en_US", "\u0130STANBUL", {texts[3]}},
        {"en_US", "ASCII", {texts[6]}},
        {"en_US", "  ", texts},
    };
    const QLocale before;
    QStringList wrong;
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(c.locale));
        ClipboardWindowModel search{capture.history, notes, &windowDefaults};
        search.setSearchText(c.query);
        QStringList history, tabNotes;
        for (const auto& item : search.filteredHistoryItems()) {
            history << item.text;
        }
        search.selectTab(tab);
        for (const auto& note : search.filteredNotes()) {
            tabNotes << note.text;
        }
        if (history != c.found || tabNotes != c.found) {
            wrong << QStringLiteral("%1 \"%2\": [%3] [%4]")
                         .arg(c.locale, c.query, history.join("|"), tabNotes.join("|"));
        }
    }
    QLocale::setDefault(before);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join("\n").toStdString();
}

TEST_F(ModelTest, BulkDeleteNeedsTwoPressesAndItsFirstPressCarriesOverToAnotherTab) {
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        setHistory({"one apple", "two apples", "pear"});
        notes.setTabs({});
        const QString work = addTab("Work", {"apple a", "apple b", "apple c", "plum"});
        model.selectTab(ClipboardWindowModel::kHistoryTabID);
        model.setLanguage(lang);
        model.setSearchText("apple");
        EXPECT_EQ(view().bulkDeleteLabel, QString());
        EXPECT_EQ(view().bulkDeleteHelp, tr2(lang, "Delete all found", "Удалить всё найденное"));
        model.pressDeleteFound();
        EXPECT_EQ(historyTexts().size(), 3) << "the first press deletes nothing";
        EXPECT_EQ(view().bulkDeleteLabel, tr2(lang, "Delete 2", "Удалить 2"));
        EXPECT_EQ(view().bulkDeleteHelp, tr2(lang, "Tap again to delete all found",
                                             "Нажми ещё раз — удалить всё найденное"));
        // Typing once more asks for the first press again.
        model.setSearchText("apple ");
        EXPECT_EQ(view().bulkDeleteLabel, QString());
        model.pressDeleteFound();
        model.selectTab(work);
        EXPECT_EQ(view().bulkDeleteLabel, tr2(lang, "Delete 3", "Удалить 3"));
        model.pressDeleteFound();
        EXPECT_EQ(noteTexts(work), QStringList{"plum"});
        EXPECT_EQ(historyTexts().size(), 3);
        EXPECT_EQ(model.searchText(), QString());
        EXPECT_FALSE(model.confirmDeleteFound());
    }
}

TEST_F(ModelTest, BulkDeleteOfTheEditedNoteClosesTheEditorAndSaveAddsNothing) {
    const QString work = addTab("Work", {"apple draft", "keep"});
    model.selectTab(work);
    model.startEditNote(*model.selectedNote());
    model.setNoteDraft("apple draft, edited");
    model.setSearchText("apple");
    model.pressDeleteFound();
    model.pressDeleteFound();
    EXPECT_FALSE(model.isEditingNote());
    model.saveNoteDraft();
    EXPECT_EQ(noteTexts(work), QStringList{"keep"});
}

TEST_F(ModelTest, HistoryBulkDeleteSavesOnce) {
    setHistory({"a1", "a2", "a3", "b"});
    capture.history.save();
    const int writes = capture.historyStore.writeCount();
    model.setSearchText("a");
    model.pressDeleteFound();
    model.pressDeleteFound();
    EXPECT_EQ(historyTexts(), QStringList{"b"});
    EXPECT_EQ(capture.historyStore.writeCount(), writes + 1);
}

TEST_F(ModelTest, TextSizeComesFromItsKeyWithinTwelveToTwentyEight) {
    const std::pair<QVariant, double> stored[] = {{QVariant(), 13}, {30.0, 13}, {11.0, 13},
                                                  {12.5, 12.5},     {28.0, 28}, {"big", 13}};
    for (const auto& [value, expected] : stored) {
        if (value.isValid()) {
            windowDefaults.set(ClipboardWindowModel::kFontSizeKey, value);
        } else {
            windowDefaults.remove(ClipboardWindowModel::kFontSizeKey);
        }
        ClipboardWindowModel fresh{capture.history, notes, &windowDefaults};
        EXPECT_EQ(fresh.contentFontSize(), expected) << value.toString().toStdString();
    }
    windowDefaults.setDouble(ClipboardWindowModel::kFontSizeKey, 12.5);
    ClipboardWindowModel fresh{capture.history, notes, &windowDefaults};
    fresh.setContentFontSize(fresh.contentFontSize() - 1);
    EXPECT_EQ(fresh.contentFontSize(), 12);
    EXPECT_EQ(windowDefaults.doubleValue(ClipboardWindowModel::kFontSizeKey), 12);
    EXPECT_FALSE(clipboardWindowView(fresh, 400).decreaseEnabled);
    fresh.setContentFontSize(40);
    EXPECT_EQ(fresh.contentFontSize(), 28);
    EXPECT_FALSE(clipboardWindowView(fresh, 400).increaseEnabled);
    EXPECT_EQ(clipboardWindowView(fresh, 400).sampleLetterPixelSize, 20);
}

TEST_F(ModelTest, ThePreviewStandsBesideTheListFrom560Points) {
    setHistory({"one"});
    const std::tuple<int, bool, int> cases[] = {
        {559, false, 0}, {560, true, 252}, {1000, true, 450}};
    for (const auto& [width, shown, listWidth] : cases) {
        EXPECT_EQ(view(width).sidePreviewShown, shown) << width;
        EXPECT_EQ(view(width).listWidth, listWidth) << width;
        EXPECT_EQ(view(width).preview.has_value(), shown) << width;
    }
}

TEST_F(ModelTest, EmptyListsSayWhy) {
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        model.setLanguage(lang);
        setHistory({});
        model.selectTab(ClipboardWindowModel::kHistoryTabID);
        model.setSearchText("zzz");
        EXPECT_EQ(view().emptyText,
                  tr2(lang, "Clipboard history is empty.", "История буфера пуста."));
        setHistory({"abc"});
        EXPECT_EQ(view().emptyText, tr2(lang, "Nothing found.", "Ничего не найдено."));
        notes.setTabs({});
        model.selectTab(addTab("T", {}));
        EXPECT_EQ(view().emptyText, tr2(lang, "No notes yet.", "Заметок пока нет."));
        notes.addNote(model.selectedTabID(), "abc");
        model.setSearchText("zzz");
        EXPECT_EQ(view().emptyText, tr2(lang, "Nothing found.", "Ничего не найдено."));
        model.setSearchText("");
        EXPECT_FALSE(view().emptyText.has_value());
    }
}

TEST_F(ModelTest, SelectionsFollowTheStores) {
    setHistory({"one", "two"});
    model.appear();
    EXPECT_EQ(model.selectedItemID(), "h1");
    model.selectItem("h2");
    // Hidden by the search, the selected entry still is the preview's.
    model.setSearchText("one");
    EXPECT_EQ(model.selectedItem()->text, "two");
    model.deleteHistoryItem("h2");
    EXPECT_EQ(model.selectedItemID(), "h1");
    model.clearHistory();
    EXPECT_FALSE(model.selectedItemID().has_value());
    EXPECT_EQ(view().emptyText, "Clipboard history is empty.");

    const QString first = addTab("First", {"f1"});
    const QString work = addTab("Work", {"newest", "older"});
    model.selectTab(work);
    EXPECT_EQ(model.selectedNote()->text, "newest");
    model.deleteNote(*model.selectedNote());
    EXPECT_EQ(model.selectedNote()->text, "older");
    model.deleteNote(*model.selectedNote());
    EXPECT_FALSE(model.selectedNoteID().has_value());
    // The shown tab removed elsewhere: the first remaining tab and its first note.
    notes.deleteTab(work);
    EXPECT_EQ(model.selectedTabID(), first);
    EXPECT_EQ(model.selectedNoteID(), notes.tab(first)->notes.first().id);
    model.deleteCurrentTab();
    EXPECT_TRUE(model.isHistoryTab());
}

TEST_F(ModelTest, AnEntrySavedAsANoteGoesFirstInTheFirstTab) {
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        notes.setTabs({});
        setHistory({"keep me"});
        model.setLanguage(lang);
        model.selectTab(ClipboardWindowModel::kHistoryTabID);
        model.saveClipboardItemAsNote(capture.history.items().first());
        ASSERT_EQ(tabTitles(), QStringList{tr2(lang, "Notes", "Заметки")});
        EXPECT_EQ(model.selectedTabID(), notes.tabs().first().id);
        EXPECT_EQ(model.selectedNote()->text, "keep me");
        EXPECT_EQ(historyTexts(), QStringList{"keep me"});
    }
}

TEST_F(ModelTest, TheNoteEditorSavesTrimmedTextAndSwitchingTabsDropsTheDraft) {
    const QString work = addTab("Work", {"old"});
    model.selectTab(work);
    model.startNewNote();
    model.setNoteDraft(" \n ");
    EXPECT_FALSE(view().noteEditor->saveEnabled);
    model.saveNoteDraft();
    EXPECT_TRUE(model.isEditingNote());
    model.setNoteDraft("\n  fresh words \n");
    EXPECT_EQ(view().noteEditor->title, "New note");
    model.saveNoteDraft();
    EXPECT_EQ(noteTexts(work), (QStringList{"fresh words", "old"}));
    EXPECT_FALSE(model.isEditingNote());

    model.startEditNote(notes.tab(work)->notes.last());
    EXPECT_EQ(view().noteEditor->title, "Edit note");
    model.setNoteDraft("changed");
    model.selectTab(ClipboardWindowModel::kHistoryTabID);
    EXPECT_FALSE(model.isEditingNote());
    EXPECT_EQ(noteTexts(work), (QStringList{"fresh words", "old"}));
}

}  // namespace
