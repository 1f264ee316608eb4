#include "engine/results/list_filter.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

using dw::FilterAction;
using dw::FilterRequest;
using Names = std::vector<std::string>;

class FilterTest : public ::testing::Test {
protected:
    // Rows for real files; a leading '+' marks the row.
    void add(std::initializer_list<std::string> relatives)
    {
        for (std::string relative : relatives) {
            bool checked = relative[0] == '+';
            list.addRow(tree.write(relative.substr(checked ? 1 : 0), "data"), dw::attr::Archive, 4, 0, 0);
            list.setChecked(list.size() - 1, checked);
        }
    }
    Names names(bool onlyChecked = false) const
    {
        Names result;
        for (const auto& row : list.rows())
            if (row.checked || !onlyChecked)
                result.push_back(dw::rowName(row));
        return result;
    }
    std::size_t run(FilterAction action, bool byFolder, const std::string& folder, bool byMask,
                    const std::string& mask)
    {
        std::size_t changed = dw::runFilter(list, {action, byFolder, folder, byMask, mask});
        EXPECT_EQ(list.checkedCount(), names(true).size());
        return changed;
    }

    dwtest::TempTree tree;
    dw::ResultList list;
};

TEST_F(FilterTest, PrefillTakesTheSelectedRowsPathAndExtension)
{
    add({"Temp/a.tmp", "Temp/README", "Temp/archive.tar.gz"});
    FilterRequest request = dw::filterPrefill(list, 0);
    EXPECT_EQ(request.folderText, tree.path("Temp/a.tmp"));
    EXPECT_EQ(request.maskText, "*.tmp");
    EXPECT_EQ(request.action, FilterAction::Mark);
    EXPECT_FALSE(request.byFolder || request.byMask);
    EXPECT_EQ(dw::filterPrefill(list, 1).maskText, "*");
    EXPECT_EQ(dw::filterPrefill(list, 2).maskText, "*.gz");
    EXPECT_EQ(dw::filterPrefill(list, std::nullopt).folderText + dw::filterPrefill(list, 3).maskText, "");
}

TEST_F(FilterTest, TokensAndWildcards)
{
    EXPECT_EQ(dw::splitFilterTokens(";; *.a ;;;\t*.b\t;"), (Names{"*.a", "*.b"}));
    EXPECT_EQ(dw::splitFilterTokens("\"a;b\".txt;*.log"), (Names{"a;b.txt", "*.log"}));
    // A doubled quote inside quotes is one quote, and the quoted part goes on.
    EXPECT_EQ(dw::splitFilterTokens("\"say \"\"hi\"\";x\""), (Names{"say \"hi\";x"}));
    EXPECT_EQ(dw::splitFilterTokens("\"\"; ;"), Names{});

    EXPECT_TRUE(dw::matchesFilterToken("README", "*.*"));
    EXPECT_TRUE(dw::matchesFilterToken("README", "README.*"));
    EXPECT_FALSE(dw::matchesFilterToken("README", "README"));
    EXPECT_FALSE(dw::matchesFilterToken("a.TMP", "*.tmp"));
    EXPECT_FALSE(dw::matchesFilterToken("a.tmp.bak", "*.tmp"));
    EXPECT_TRUE(dw::matchesFilterToken("я.txt", "?.txt"));  // one letter, two bytes
    EXPECT_TRUE(dw::matchesFilterToken(std::string(40, 'a') + "b.c", std::string(20, '*') + "a*b.c"));
}

TEST_F(FilterTest, MaskAloneIgnoresCase)
{
    add({"x/a.TMP", "x/b.tmp", "+x/c.txt", "x/d.txt", "x/Отчёт.ДОК"});
    EXPECT_EQ(run(FilterAction::Mark, false, "", true, "*.tmp;отчёт.*"), 3u);
    EXPECT_EQ(names(true), (Names{"a.TMP", "b.tmp", "c.txt", "Отчёт.ДОК"}));  // c.txt keeps its mark
    run(FilterAction::Clear, false, "", true, "*.TMP");
    EXPECT_EQ(names(true), (Names{"c.txt", "Отчёт.ДОК"}));
    EXPECT_EQ(list.size(), 5u);
    run(FilterAction::Remove, false, "", true, "*.док");
    EXPECT_EQ(names(), (Names{"a.TMP", "b.tmp", "c.txt", "d.txt"}));

    list.deleteAllRows();
    add({"+m/README.TXT", "m/notes.txt", "m/notes.md", "+m/a.tmp"});
    run(FilterAction::RemoveExcept, false, "", true, "*.txt");
    EXPECT_EQ(names(), (Names{"README.TXT", "notes.txt"}));
    // Token after token: a row must match both to stay.
    run(FilterAction::RemoveExcept, false, "", true, "*.txt;notes*");
    EXPECT_EQ(names(), (Names{"notes.txt"}));
}

TEST_F(FilterTest, FolderIsACaseSensitiveSubstringAndTheMaskNarrowsOnlyMarks)
{
    add({"+Temp/a.tmp", "Temp/b.TMP", "Temp/README", "temp/c.tmp", "other/Temp.txt"});
    run(FilterAction::Mark, true, "/Temp/", true, "*.tmp;*.*");  // README matches *.* with its dot
    EXPECT_EQ(names(true), (Names{"a.tmp", "b.TMP", "README"}));
    run(FilterAction::Clear, true, "/Temp/", true, "*.tmp");  // case kept: b.TMP stays marked
    EXPECT_EQ(names(true), (Names{"b.TMP", "README"}));
    run(FilterAction::Mark, true, "", false, "");  // an empty folder is in every path
    EXPECT_EQ(list.checkedCount(), 5u);

    run(FilterAction::Remove, true, "/Temp/", true, "nothing-matches");  // the mask is ignored
    EXPECT_EQ(names(), (Names{"c.tmp", "Temp.txt"}));
    run(FilterAction::RemoveExcept, true, "/other/", false, "");
    EXPECT_EQ(names(), (Names{"Temp.txt"}));

    EXPECT_EQ(run(FilterAction::Remove, false, "/", false, "*"), 0u);  // no box checked
    EXPECT_EQ(list.size(), 1u);
}

}  // namespace
