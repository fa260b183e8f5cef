// The sorted, case-insensitive name set.
#include "common/nameset.h"
#include "common/platform_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

class NameSetTest : public ::testing::Test {
protected:
    NameSet set = {};
    std::deque<std::string> texts;  // stable storage: the set keeps pointers

    void Create(int capacity) { ASSERT_TRUE(NameSetCreate(&set, capacity)); }
    void TearDown() override { NameSetFree(&set); }

    const char* Keep(const std::string& s)
    {
        texts.push_back(s);
        return texts.back().c_str();
    }

    std::vector<std::string> Items() const
    {
        return std::vector<std::string>(set.items, set.items + set.count);
    }

    // Ascending with no two equal, by the set's own comparison.
    void ExpectStrictlyAscending() const
    {
        for (int i = 1; i < set.count; ++i)
            ASSERT_EQ(CSTR_LESS_THAN, PlatCompareText(set.items[i - 1], set.items[i]))
                << set.items[i - 1] << " / " << set.items[i] << " at " << i;
    }
};

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TEST_F(NameSetTest, FirstInsertGoesIn)
{
    Create(4);
    EXPECT_EQ(0, set.count);
    const char* a = Keep("README.txt");
    EXPECT_EQ(1, NameSetInsert(&set, a));
    ASSERT_EQ(1, set.count);
    EXPECT_EQ(a, set.items[0]);
}

TEST_F(NameSetTest, KeepsOrder)
{
    Create(4);
    EXPECT_EQ(1, NameSetInsert(&set, Keep("a")));
    EXPECT_EQ(1, NameSetInsert(&set, Keep("c")));
    EXPECT_EQ(1, NameSetInsert(&set, Keep("b")));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Items());

    EXPECT_EQ(1, NameSetInsert(&set, Keep("0")));
    EXPECT_EQ((std::vector<std::string>{"0", "a", "b", "c"}), Items());
}

TEST_F(NameSetTest, EqualIgnoringCaseIsRefused)
{
    Create(8);
    const char* first = Keep("README.txt");
    ASSERT_EQ(1, NameSetInsert(&set, first));
    ASSERT_EQ(1, NameSetInsert(&set, Keep("b")));
    EXPECT_EQ(0, NameSetInsert(&set, Keep("Readme.TXT")));
    EXPECT_EQ(0, NameSetInsert(&set, Keep("readme.txt")));
    EXPECT_EQ(0, NameSetInsert(&set, Keep("B")));
    EXPECT_EQ(2, set.count);
    EXPECT_EQ(first, set.items[1]) << "the first text stays";

    // Order ignores case too: "B" sorts between "a" and "c".
    EXPECT_EQ(1, NameSetInsert(&set, Keep("A")));
    EXPECT_EQ(1, NameSetInsert(&set, Keep("C")));
    EXPECT_EQ((std::vector<std::string>{"A", "b", "C", "README.txt"}), Items());
}

TEST_F(NameSetTest, LocateGivesTheInsertionPlace)
{
    Create(8);
    for (const char* t : {"b", "d", "f", "h"})
        NameSetInsert(&set, t);
    // Before, between, after and on each member: the result is items[position]
    // compared with the text, and the text belongs right there.
    for (const char* probe : {"a", "b", "C", "c", "D", "e", "f", "g", "H", "i", ""}) {
        int result = NameSetLocate(&set, probe);
        ASSERT_GE(set.position, 0) << probe;
        ASSERT_LT(set.position, set.count) << probe;
        EXPECT_EQ(PlatCompareText(set.items[set.position], probe), result) << probe;
        int place = result == CSTR_LESS_THAN ? set.position + 1 : set.position;
        int expected = 0;
        while (expected < set.count &&
               PlatCompareText(set.items[expected], probe) == CSTR_LESS_THAN)
            ++expected;
        EXPECT_EQ(expected, place) << probe;
    }

    NameSet single = {};
    ASSERT_TRUE(NameSetCreate(&single, 2));
    NameSetInsert(&single, "m");
    EXPECT_EQ(CSTR_GREATER_THAN, NameSetLocate(&single, "a"));
    EXPECT_EQ(CSTR_LESS_THAN, NameSetLocate(&single, "z"));
    EXPECT_EQ(CSTR_EQUAL, NameSetLocate(&single, "M"));
    EXPECT_EQ(0, single.position);
    NameSetFree(&single);
}

TEST_F(NameSetTest, ManyRandomInsertsStaySortedAndUnique)
{
    Create(20000);
    std::mt19937 rng(20240607);
    std::set<std::string> model;  // lower-cased members
    for (int i = 0; i < 12000; ++i) {
        std::string name = "C:\\App\\file" + std::to_string(rng() % 6000) + ".txt";
        for (char& c : name)
            if (rng() % 2)
                c = char(toupper(static_cast<unsigned char>(c)));
        bool isNew = model.insert(Lower(name)).second;
        ASSERT_EQ(isNew ? 1 : 0, NameSetInsert(&set, Keep(name))) << name;
        ASSERT_EQ(int(model.size()), set.count);
    }
    ExpectStrictlyAscending();
    std::vector<std::string> lowered;
    for (const std::string& s : Items())
        lowered.push_back(Lower(s));
    EXPECT_EQ(std::vector<std::string>(model.begin(), model.end()), lowered);
}

// Texts in ascending order, as installers write them, each cost one
// comparison; a repeat of the last, or a text that sorts before it, still
// finds its place.
TEST_F(NameSetTest, AscendingTextsTakeOneComparisonEach)
{
    Create(2000);
    long before = HostCompareCount();
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        snprintf(name, sizeof name, "C:\\App\\f%04d", i);
        ASSERT_EQ(1, NameSetInsert(&set, Keep(name))) << name;
    }
    EXPECT_EQ(999, HostCompareCount() - before);
    EXPECT_EQ(0, NameSetInsert(&set, Keep("c:\\app\\F0999")));
    EXPECT_EQ(999, set.position);
    EXPECT_EQ(1, NameSetInsert(&set, Keep("C:\\App\\f0500a")));
    EXPECT_EQ(0, NameSetInsert(&set, Keep("C:\\APP\\F0999")));
    EXPECT_EQ(1, NameSetInsert(&set, Keep("C:\\App\\f0999a")));
    EXPECT_EQ(0, NameSetInsert(&set, Keep("C:\\App\\F0500A")));
    EXPECT_EQ(1002, set.count);
    EXPECT_EQ("C:\\App\\f0500a", Items()[501]);
    EXPECT_EQ("C:\\App\\f0999a", Items()[1001]);
    ExpectStrictlyAscending();
}

// Whatever the order of insertion (ascending, descending, shuffled: the
// last member, the shorter side moved either way, growth), the members end
// in the comparison's order and the same texts are refused.
TEST_F(NameSetTest, InsertionOrderDoesNotChangeTheSet)
{
    std::vector<std::string> names = {
        "", "a", "A", "a.txt", "a-b", "ab", "a_b", "a b", "a\\b", "a\\B", "Z", "z~", "0", "09",
        "10", "C:\\App", "c:\\app\\", "C:\\App\\a.txt", "C:\\APP\\A.TXT", "C:\\App\\a.txt.bak",
        "C:\\App\\b", "C:\\Appx", "README", "readme", "Readme.1st", "[files]", "~tmp", "\xe9t\xe9",
        "\xc9T\xc9", "zz", "ZZZ", "C:\\App\\sub\\deep\\file.dat", "C:\\App\\sub\\deep"};
    std::vector<std::string> ascending = names;
    std::sort(ascending.begin(), ascending.end(), [](const std::string& a, const std::string& b) {
        return PlatCompareText(a.c_str(), b.c_str()) == CSTR_LESS_THAN;
    });
    std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    std::vector<std::string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    std::vector<std::vector<std::string>> expected;
    for (const auto* order : {&ascending, &descending, &shuffled, &names}) {
        NameSet other = {};
        ASSERT_TRUE(NameSetCreate(&other, 4));  // grows on the way
        std::vector<std::string> refused;
        for (const std::string& name : *order)
            if (!NameSetInsert(&other, Keep(name)))
                refused.push_back(Lower(name));
        std::sort(refused.begin(), refused.end());
        std::vector<std::string> items;
        for (int i = 0; i < other.count; ++i) {
            items.push_back(Lower(other.items[i]));
            if (i > 0)
                EXPECT_EQ(CSTR_LESS_THAN, PlatCompareText(other.items[i - 1], other.items[i]));
        }
        expected.push_back(items);
        expected.push_back(refused);
        NameSetFree(&other);
    }
    for (size_t i = 2; i < expected.size(); ++i)
        EXPECT_EQ(expected[i % 2], expected[i]) << "insertion order " << i / 2;
    // the texts equal to another ignoring case, each refused once
    EXPECT_EQ((std::vector<std::string>{"a", "a\\b", "c:\\app\\a.txt", "readme"}), expected[1]);
}

TEST_F(NameSetTest, GrowsBeyondItsFirstCapacity)
{
    Create(8);
    std::vector<int> numbers(3000);
    for (int i = 0; i < 3000; ++i)
        numbers[i] = i;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    for (int n : numbers)
        ASSERT_EQ(1, NameSetInsert(&set, Keep("name" + std::to_string(n)))) << n;
    EXPECT_EQ(3000, set.count);
    EXPECT_GE(set.capacity, 3000);
    ExpectStrictlyAscending();

    // Still refuses duplicates, in any case, after growing.
    for (int n : {0, 1234, 2999})
        EXPECT_EQ(0, NameSetInsert(&set, Keep("NAME" + std::to_string(n))));
    EXPECT_EQ(3000, set.count);
    for (int n = 0; n < 3000; n += 97) {
        std::string probe = "Name" + std::to_string(n);
        EXPECT_EQ(CSTR_EQUAL, NameSetLocate(&set, probe.c_str())) << probe;
        EXPECT_EQ(CSTR_EQUAL, PlatCompareText(set.items[set.position], probe.c_str()));
    }
}
