// Ordering of the action entries.
#include "log/log.h"
#include "log/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Records tagged with their index, so that each can be found again.
struct Tagged {
    std::vector<ActionEntry> records;
    std::vector<std::string> tags;

    explicit Tagged(const std::vector<int>& orders) : records(orders.size()), tags(orders.size())
    {
        for (size_t i = 0; i < orders.size(); ++i) {
            tags[i] = std::string(1, char('a' + i % 26)) + std::to_string(i);
            records[i].order = orders[i];
            records[i].text = &tags[i][0];
        }
    }

    void Sort() { SortEntries(records.data(), int(records.size()), sizeof(ActionEntry), CompareOrder); }

    // The texts in their present order, one letter per record (for short arrays).
    std::string Letters() const
    {
        std::string s;
        for (const ActionEntry& e : records)
            s += e.text[0];
        return s;
    }

    void ExpectAscendingAndComplete(const std::vector<int>& orders) const
    {
        ASSERT_EQ(orders.size(), records.size());
        std::vector<int> seen(orders.size(), 0);
        for (size_t i = 0; i < records.size(); ++i) {
            if (i > 0)
                ASSERT_LE(records[i - 1].order, records[i].order) << "at " << i;
            // The tag names the record's original index.
            size_t index = std::stoul(std::string(records[i].text + 1));
            ASSERT_LT(index, orders.size());
            ASSERT_EQ(&tags[index][0], records[i].text);
            ASSERT_EQ(orders[index], records[i].order) << "record " << index << " lost its number";
            ++seen[index];
        }
        for (size_t i = 0; i < seen.size(); ++i)
            ASSERT_EQ(1, seen[i]) << "record " << i;
    }
};

std::vector<int> Orders(const Tagged& t)
{
    std::vector<int> v;
    for (const ActionEntry& e : t.records)
        v.push_back(e.order);
    return v;
}

}  // namespace

TEST(CompareOrder, ComparesSignedNumbers)
{
    ActionEntry a = {5001, 0}, b = {30001, 0};
    EXPECT_EQ(-1, CompareOrder(&a, &b));
    EXPECT_EQ(1, CompareOrder(&b, &a));
    EXPECT_EQ(0, CompareOrder(&a, &a));
    // Extremes must not overflow a subtraction.
    ActionEntry low = {INT_MIN, 0}, high = {INT_MAX, 0}, minus = {-1, 0};
    EXPECT_EQ(-1, CompareOrder(&low, &high));
    EXPECT_EQ(1, CompareOrder(&high, &low));
    EXPECT_EQ(-1, CompareOrder(&minus, &a));
    EXPECT_EQ(1, CompareOrder(&high, &minus));
}

TEST(SortEntries, EmptyAndSingleArraysAreLeftAlone)
{
    Tagged one({42});
    one.Sort();
    EXPECT_EQ(42, one.records[0].order);
    SortEntries(nullptr, 0, sizeof(ActionEntry), CompareOrder);
    SortEntries(nullptr, -3, sizeof(ActionEntry), CompareOrder);

    // Width 0 does nothing either.
    Tagged two({2, 1});
    SortEntries(two.records.data(), 2, 0, CompareOrder);
    EXPECT_EQ((std::vector<int>{2, 1}), Orders(two));
}

TEST(SortEntries, OrdersThePhases)
{
    Tagged t({30001, 5001, 19999, 19998, 64999});
    t.Sort();
    EXPECT_EQ((std::vector<int>{5001, 19998, 19999, 30001, 64999}), Orders(t));
    t.ExpectAscendingAndComplete({30001, 5001, 19999, 19998, 64999});
}

TEST(SortEntries, EqualNumbersEndInTheProcedureOrder)
{
    // Two equal records: the second becomes the pivot and the pair ends swapped.
    Tagged two({5, 5});
    two.Sort();
    EXPECT_EQ("ba", two.Letters());

    // Worked through step by step.
    Tagged three({5, 5, 5});
    three.Sort();
    EXPECT_EQ("cba", three.Letters());

    Tagged mixed({5, 3, 5});
    mixed.Sort();
    EXPECT_EQ("bca", mixed.Letters());

    Tagged six({7, 7, 3, 7, 3, 7});
    six.Sort();
    EXPECT_EQ("ecfdba", six.Letters());
    EXPECT_EQ((std::vector<int>{3, 3, 7, 7, 7, 7}), Orders(six));
}

TEST(SortEntries, LargeArraysOfEveryShape)
{
    const int n = MAX_ENTRIES;
    std::mt19937 rng(1999);
    std::vector<std::vector<int>> shapes;
    std::vector<int> v(n);
    for (int& x : v)
        x = int(rng() % 70000);
    shapes.push_back(v);                                  // random
    std::sort(v.begin(), v.end());
    shapes.push_back(v);                                  // sorted
    std::reverse(v.begin(), v.end());
    shapes.push_back(v);                                  // reversed
    shapes.push_back(std::vector<int>(n, 30001));         // all equal
    for (int& x : v)
        x = 5000 + int(rng() % 3);
    shapes.push_back(v);                                  // few distinct
    for (int i = 0; i < n; ++i)
        v[i] = (i % 2) ? INT_MIN + i : INT_MAX - i;       // extremes, alternating
    shapes.push_back(v);

    for (size_t s = 0; s < shapes.size(); ++s) {
        SCOPED_TRACE("shape " + std::to_string(s));
        Tagged t(shapes[s]);
        t.Sort();
        t.ExpectAscendingAndComplete(shapes[s]);
    }
}

TEST(SortEntries, HonoursTheRecordWidth)
{
    // Seven-byte records compared by their first byte; the rest must travel along.
    struct Rec { char key; char payload[6]; };
    static_assert(sizeof(Rec) == 7, "packed record");
    std::vector<Rec> recs;
    const char keys[] = "qwertyuiopasdfghjklzxcvbnm";
    for (int i = 0; i < 26; ++i) {
        Rec r;
        r.key = keys[i];
        snprintf(r.payload, sizeof r.payload, "%c%04d", keys[i], i);
        recs.push_back(r);
    }
    SortEntries(recs.data(), int(recs.size()), sizeof(Rec), [](const void* a, const void* b) {
        char x = *static_cast<const char*>(a), y = *static_cast<const char*>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    });
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(char('a' + i), recs[i].key);
        EXPECT_EQ(recs[i].key, recs[i].payload[0]) << "payload left its record";
    }
}
