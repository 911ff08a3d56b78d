#include "autocorrect/autocorrect_list.h"

#include <gtest/gtest.h>

#include <random>

#include "autocorrect/autocorrect_editor.h"
#include "settings/settings_store.h"
#include "tests/fakes/memory_registry.h"

namespace ravak {
namespace {

using testing::MemoryRegistry;
using Items = std::vector<std::u16string>;

// ---- the list and its index -------------------------------------------------------------

TEST(AutoCorrectListTest, IndexAgreesWithLinearScanThroughEveryKindOfEdit) {
  std::mt19937 rng(7);
  // Keywords from a small alphabet so that duplicates and near misses are common, plus some
  // that cannot be typed.
  const std::u16string alphabet = u"ab~!";
  const std::vector<std::u16string> untypeable = {u"", u"a b", u"سلام", u"aaaaaaaaaaa", u"\x7F"};
  auto keyword = [&] {
    if (rng() % 8 == 0) return untypeable[rng() % untypeable.size()];
    std::u16string k;
    for (unsigned n = 1 + rng() % 3; n > 0; --n) k += alphabet[rng() % alphabet.size()];
    return k;
  };
  AutoCorrectList list;
  std::vector<std::u16string> probes;
  for (char16_t a : alphabet) {
    probes.push_back(std::u16string(1, a));
    for (char16_t b : alphabet) {
      probes.push_back(std::u16string{a, b});
      for (char16_t c : alphabet) probes.push_back(std::u16string{a, b, c});
    }
  }
  for (int step = 0; step < 400; ++step) {
    const unsigned op = rng() % 10;
    if (op < 5 || list.Size() == 0) {
      list.Append({u"", u"x", keyword()});
    } else if (op < 8) {
      list.Replace(rng() % list.Size(), {u"", u"y", keyword()});
    } else {
      list.Erase(rng() % list.Size());
    }
    for (const std::u16string& probe : probes) {
      ASSERT_EQ(list.Find(probe), list.FindLinear(probe)) << "step " << step;
    }
  }
  list.LoadFlat(list.Flatten());
  for (const std::u16string& probe : probes) ASSERT_EQ(list.Find(probe), list.FindLinear(probe));
  // Keywords that cannot be typed are never found.
  for (const std::u16string& k : untypeable) EXPECT_EQ(list.Find(k), -1);
}

TEST(AutoCorrectListTest, StoredFormIsThreeStringsPerRowAndLoadsBackTheSameRows) {
  AutoCorrectList list;
  list.Append({u"", u"by the way", u"btw"});
  list.Append({u"</b>", u"", u"b"});
  list.Append({u"بعد", u"قبل", u"btw"});
  const Items flat = list.Flatten();
  EXPECT_EQ(flat, (Items{u"", u"by the way", u"btw", u"</b>", u"", u"b", u"بعد", u"قبل", u"btw"}));
  AutoCorrectList loaded;
  loaded.Append({u"old", u"old", u"old"});
  loaded.LoadFlat(flat);
  EXPECT_EQ(loaded.Rows(), list.Rows());
  EXPECT_EQ(loaded.Find(u"btw"), 0);
  EXPECT_EQ(loaded.Find(u"old"), -1);
}

TEST(AutoCorrectListTest, IncompleteLastGroupIsKeptWithoutAKeyword) {
  AutoCorrectList list;
  list.LoadFlat({u"a", u"b", u"k", u"c", u"d"});
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(list.Row(1), (AutoCorrectEntry{u"c", u"d", u""}));
  EXPECT_EQ(list.Find(u""), -1);  // never matched, but saved back as it was
  EXPECT_EQ(list.Flatten(), (std::vector<std::u16string>{u"a", u"b", u"k", u"c", u"d", u""}));
}

// Through the settings store and an in-memory registry, as the program saves and loads it.
class StoredListTest : public ::testing::Test {
 protected:
  void Save() { store.SaveAutoCorrect(settings, list.Flatten()); }
  std::vector<std::string> Load() {
    std::vector<std::u16string> lines;
    auto errors = store.LoadAutoCorrect(settings, lines);
    if (!lines.empty()) {
      list.LoadFlat(lines);
      ++reloads;
    }
    return errors;
  }
  MemoryRegistry registry;
  SettingsStore store{registry};
  Settings settings;
  AutoCorrectList list;
  int reloads = 0;
};

TEST_F(StoredListTest, SavedListLoadsBack) {
  list.Append({u"", u"by the way", u"btw"});
  list.Append({u"</b>", u"<b>", u"b"});
  Save();
  const auto saved = list.Rows();
  list.Clear();
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(list.Rows(), saved);
  EXPECT_EQ(reloads, 1);
}

TEST_F(StoredListTest, HugeAndForeignListsLoadUpToTheLimitsAndTheirOddKeywordsNeverMatch) {
  // 30,000 lines: 10,000 rows, keyword of row i "k<i>" (at most 10 characters).
  Items items;
  for (int i = 0; i < 10000; ++i) {
    items.push_back(u"after");
    items.push_back(u"before");
    const std::string k = "k" + std::to_string(i);
    items.push_back(std::u16string(k.begin(), k.end()));
  }
  // Lines of 100,000 characters and keywords typed in by hand outside U+0021..U+007E.
  const std::u16string huge(100000, u'ض');
  items[0] = huge;
  items[1] = huge;
  items[2] = u"ک";
  items[5] = huge;
  items[8] = u"a b";
  // Stored by hand, as the store lays a list out.
  const std::u16string key = u"Software\\Tirnak\\Ravak\\AutoCorrect";
  registry.Put(key, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(30000));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string name = "lstSaveAC.Items[" + std::to_string(i) + "]";
    registry.Put(key, std::u16string(name.begin(), name.end()),
                 MemoryRegistry::TextValue(items[i]));
  }
  // The lines over 64 KiB are left unread and reported, and whole rows are read up to the
  // limit of 9000 lines; the cut is reported.
  const std::string too_long = " is longer than 64 KiB and was not read";
  EXPECT_EQ(Load(), (std::vector<std::string>{
                        "The stored value 'lstSaveAC.Items[0]'" + too_long,
                        "The stored value 'lstSaveAC.Items[1]'" + too_long,
                        "The stored value 'lstSaveAC.Items[5]'" + too_long,
                        "Only the first 9000 lines of the stored list 'lstSaveAC.Items' were "
                        "read: a list keeps at most 9000 lines and 4 MiB"}));
  ASSERT_EQ(list.Size(), 3000u);
  EXPECT_EQ(list.Row(0).after, u"");
  EXPECT_EQ(list.Find(u"k2999"), 2999);
  EXPECT_EQ(list.Find(u"k3"), 3);
  EXPECT_EQ(list.Find(u"ک"), -1);
  EXPECT_EQ(list.Find(u"a b"), -1);
  EXPECT_EQ(list.Find(huge), -1);
}

// ---- the tab's rules --------------------------------------------------------------------

class EditorTest : public ::testing::Test {
 protected:
  AutoCorrectList list;
  AutoCorrectEditor editor{list};
};

TEST_F(EditorTest, AddNeedsAKeywordAndOneOfTheTwoTexts) {
  struct Case {
    const char16_t *key, *pre, *post;
    bool enabled;
  };
  const Case cases[] = {{u"", u"", u"", false},  {u"k", u"", u"", false}, {u"", u"a", u"b", false},
                        {u"k", u"a", u"", true}, {u"k", u"", u"b", true}, {u"k", u"a", u"b", true}};
  for (const Case& c : cases) {
    editor.SetKeyText(c.key);
    editor.SetPreText(c.pre);
    editor.SetPostText(c.post);
    EXPECT_EQ(editor.AddEnabled(), c.enabled) << c.enabled;
    EXPECT_EQ(editor.SaveEnabled(), c.enabled);
  }
}

TEST_F(EditorTest, KeywordTakesOnlyPrintableAsciiAndBackspace) {
  for (char16_t ch : {u'b', u' ', u'ب', u'\t', u'\x7F', u'T', u'!', u'~'}) editor.KeyPress(ch);
  EXPECT_EQ(editor.KeyText(), u"bT!~");
  editor.KeyPress(u'\b');
  EXPECT_EQ(editor.KeyText(), u"bT!");
  for (int i = 0; i < 5; ++i) editor.KeyPress(u'\b');
  EXPECT_EQ(editor.KeyText(), u"");
  // Typing the keyword runs the enabling rule too.
  editor.SetPreText(u"x");
  EXPECT_FALSE(editor.AddEnabled());
  editor.KeyPress(u'k');
  EXPECT_TRUE(editor.AddEnabled());
}

TEST_F(EditorTest, AddSaveDeleteAndSelection) {
  editor.SetKeyText(u"btw");
  editor.SetPreText(u"by the way");
  EXPECT_EQ(editor.Add(), 0u);
  EXPECT_EQ(editor.Add(), 1u);  // a duplicate keyword makes a second row
  EXPECT_EQ(list.Size(), 2u);
  EXPECT_FALSE(editor.Selected());
  // Save and Delete need a selected row.
  EXPECT_FALSE(editor.Save());
  EXPECT_FALSE(editor.Delete());

  editor.SetKeyText(u"b");
  editor.SetPreText(u"<b>");
  editor.SetPostText(u"</b>");
  editor.Add();
  // Selecting a row puts it into the edits.
  editor.SelectItem(0, true);
  EXPECT_EQ(editor.KeyText(), u"btw");
  EXPECT_EQ(editor.PreText(), u"by the way");
  EXPECT_EQ(editor.PostText(), u"");
  EXPECT_TRUE(editor.AddEnabled());
  // Moving the selection: the old row is unselected, then the new one selected.
  editor.SelectItem(0, false);
  editor.SelectItem(2, true);
  EXPECT_EQ(editor.Selected(), 2u);
  EXPECT_EQ(editor.KeyText(), u"b");
  editor.SetPostText(u"</B>");
  EXPECT_EQ(editor.Save(), 2u);
  EXPECT_EQ(list.Row(2), (AutoCorrectEntry{u"</B>", u"<b>", u"b"}));
  EXPECT_EQ(list.Find(u"b"), 2);
  // Saving a new keyword re-indexes.
  editor.SetKeyText(u"bb");
  editor.Save();
  EXPECT_EQ(list.Find(u"b"), -1);
  EXPECT_EQ(list.Find(u"bb"), 2);

  EXPECT_EQ(editor.Delete(), 2u);
  EXPECT_EQ(list.Size(), 2u);
  EXPECT_FALSE(editor.Selected());
  EXPECT_EQ(editor.KeyText(), u"bb");  // the edits keep their texts
  EXPECT_EQ(list.Find(u"bb"), -1);
}

TEST_F(EditorTest, SelectionEventsForRowsThatAreGoneChangeNothingButTheSelection) {
  editor.SetKeyText(u"k");
  editor.SelectItem(5, true);
  EXPECT_EQ(editor.KeyText(), u"k");
  EXPECT_FALSE(editor.Save());
  editor.ListReloaded();
  EXPECT_FALSE(editor.Selected());
}

// The search: rows are numbered as shown, and the edits act on the list's own rows.
TEST_F(EditorTest, SearchShowsMatchingRowsAndEditsThemAsTheWholeList) {
  list.Append({u"", u"by the way", u"btw"});
  list.Append({u"", u"\u064A\u0643", u"yk"});  // written with the Arabic yeh and kaf
  list.Append({u"</B>", u"<b>", u"b"});
  list.Append({u"", u"Be right back", u"brb"});
  editor.SetFilter(u"B");  // either case, keyword or texts
  ASSERT_EQ(editor.ShownCount(), 3u);
  EXPECT_EQ(editor.ShownRow(1).keyword, u"b");
  editor.SetFilter(u"یک");
  ASSERT_EQ(editor.ShownCount(), 1u);
  EXPECT_EQ(editor.ShownRow(0).keyword, u"yk");

  editor.SetFilter(u"b");
  editor.SelectItem(2, true);  // brb
  EXPECT_EQ(editor.KeyText(), u"brb");
  editor.SetPreText(u"Back soon");
  EXPECT_EQ(editor.Save(), 2u);
  EXPECT_EQ(list.Row(3).before, u"Back soon");
  // An added row is shown though it does not match, until the search changes.
  editor.SetKeyText(u"zz");
  editor.SetPreText(u"none");
  EXPECT_EQ(editor.Add(), 3u);
  EXPECT_EQ(editor.ShownRow(3).keyword, u"zz");
  editor.SelectItem(1, true);  // b
  EXPECT_EQ(editor.Delete(), 1u);
  EXPECT_EQ(list.Size(), 4u);
  ASSERT_EQ(editor.ShownCount(), 3u);
  EXPECT_EQ(editor.ShownRow(1).keyword, u"brb");
  EXPECT_EQ(editor.ShownRow(2).keyword, u"zz");
  editor.SetFilter(u"");
  EXPECT_EQ(editor.ShownCount(), 4u);
  EXPECT_FALSE(editor.Selected());
}

}  // namespace
}  // namespace ravak
