// Checks the shipped reference data file, resources/Lotward.dat, byte by byte: its line form,
// its code page, the time-zone rules the date conversion reads and the category lists that
// the search window offers and the site adapters turn into search parameters.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kDataFile = LW_SOURCE_DIR "/resources/Lotward.dat";

std::string ReadFileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Row {
  std::string prefix;
  std::string content;
  std::size_t lineNumber;
};

// Splits at CRLF only; a lone CR or LF stays inside its row so that the form checks see it.
std::vector<Row> SplitRows(const std::string& bytes) {
  std::vector<Row> rows;
  std::size_t start = 0;
  std::size_t lineNumber = 1;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    std::size_t bar = line.find('|');
    Row row;
    row.lineNumber = lineNumber++;
    if (bar == std::string::npos) {
      row.prefix = line;
    } else {
      row.prefix = line.substr(0, bar);
      row.content = line.substr(bar + 1);
    }
    rows.push_back(row);
    start = end + 2;
  }
  return rows;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find(separator, start);
    if (at == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
}

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (!std::isdigit(c)) return false;
  return true;
}

class RefdataFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bytes_ = new std::string(ReadFileBytes(kDataFile));
    rows_ = new std::vector<Row>(SplitRows(*bytes_));
    byPrefix_ = new std::map<std::string, std::vector<std::string>>();
    for (const Row& row : *rows_) (*byPrefix_)[row.prefix].push_back(row.content);
  }
  static void TearDownTestSuite() {
    delete byPrefix_;
    delete rows_;
    delete bytes_;
  }
  void SetUp() override { ASSERT_FALSE(bytes_->empty()) << "cannot read " << kDataFile; }

  static const std::vector<std::string>& List(const std::string& prefix) {
    static const std::vector<std::string> none;
    auto found = byPrefix_->find(prefix);
    return found == byPrefix_->end() ? none : found->second;
  }

  static std::string* bytes_;
  static std::vector<Row>* rows_;
  static std::map<std::string, std::vector<std::string>>* byPrefix_;
};

std::string* RefdataFile::bytes_ = nullptr;
std::vector<Row>* RefdataFile::rows_ = nullptr;
std::map<std::string, std::vector<std::string>>* RefdataFile::byPrefix_ = nullptr;

// How each list's rows are read: the eBay search takes a flag column as well; the others are
// name and value pairs.
enum class ValueKind { kNumber, kExcite, kCnet };

struct CategoryList {
  const char* prefix;
  std::size_t rows;
  int columns;
  ValueKind value;
  const char* allName;
};

const CategoryList kCategoryLists[] = {
    {"EbC", 205, 3, ValueKind::kNumber, "All Categories"},
    {"YC", 170, 2, ValueKind::kNumber, "All (default)"},
    {"YCUk", 166, 2, ValueKind::kNumber, "All (default)"},
    {"YCAu", 178, 2, ValueKind::kNumber, "All (default)"},
    {"YCCa", 179, 2, ValueKind::kNumber, "All (default)"},
    {"YCFr", 124, 2, ValueKind::kNumber, "Toutes (d\xE9" "faut)"},
    {"YCEs", 86, 2, ValueKind::kNumber, "Todas (predeterminado)"},
    {"YCDk", 82, 2, ValueKind::kNumber, "Alle (standard)"},
    {"YCDe", 139, 2, ValueKind::kNumber, "Alle (Standard)"},
    {"YCIt", 124, 2, ValueKind::kNumber, "Tutte (predefinito)"},
    {"YCSe", 102, 2, ValueKind::kNumber, "Alla (standard)"},
    {"YCBr", 169, 2, ValueKind::kNumber, "Todas (padr\xE3o)"},
    {"YCMx", 69, 2, ValueKind::kNumber, "Todas (predeterminado)"},
    {"AucFr", 18, 2, ValueKind::kNumber, "Accueil"},
    {"AucUK", 14, 2, ValueKind::kNumber, "Home"},
    {"AucIt", 14, 2, ValueKind::kNumber, "Home page"},
    {"AucEs", 14, 2, ValueKind::kNumber, "Inicio"},
    {"ExcC", 636, 2, ValueKind::kExcite, "All"},
    {"CnetC", 81, 2, ValueKind::kCnet, "All"},
};

TEST_F(RefdataFile, EveryLineEndsInCrLfWithNoBlankLineAndTheFileEndsWithALineEnd) {
  const std::string& bytes = *bytes_;
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  std::size_t lineNumber = 1;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR on line " << lineNumber;
    } else if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF on line " << lineNumber;
      ++lineNumber;
    }
  }
  for (const Row& row : *rows_)
    EXPECT_FALSE(row.prefix.empty() && row.content.empty()) << "blank line " << row.lineNumber;
}

TEST_F(RefdataFile, EveryByteIsAPrintableWindows1252Character) {
  for (std::size_t i = 0; i < bytes_->size(); ++i) {
    unsigned char c = static_cast<unsigned char>((*bytes_)[i]);
    if (c == '\r' || c == '\n') continue;
    // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in code page 1252.
    bool valid = c >= 0x20 && c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 &&
                 c != 0x9D;
    EXPECT_TRUE(valid) << "byte 0x" << std::hex << int(c) << " at offset " << std::dec << i;
  }
}

TEST_F(RefdataFile, AccentedNamesAreSingleBytesNotUtf8) {
  // A UTF-8 "é" shows up in code page 1252 as the pair 0xC3 0xA9 ("Ã©").
  for (std::size_t i = 0; i + 1 < bytes_->size(); ++i) {
    unsigned char lead = static_cast<unsigned char>((*bytes_)[i]);
    unsigned char next = static_cast<unsigned char>((*bytes_)[i + 1]);
    EXPECT_FALSE((lead == 0xC2 || lead == 0xC3) && next >= 0x80 && next <= 0xBF)
        << "UTF-8 sequence at offset " << i;
  }
  for (const char* prefix : {"YCFr", "YCEs", "YCDk", "YCDe", "YCIt", "YCSe", "YCBr", "YCMx"}) {
    bool accented = false;
    for (const std::string& row : List(prefix))
      for (unsigned char c : row) accented = accented || c >= 0xC0;
    EXPECT_TRUE(accented) << prefix << " has no accented letter";
  }
}

TEST_F(RefdataFile, HoldsOnlyKnownPrefixesEachInOneBlock) {
  std::set<std::string> known{"TZ"};
  for (const CategoryList& list : kCategoryLists) known.insert(list.prefix);
  std::set<std::string> finished;
  std::string current;
  for (const Row& row : *rows_) {
    EXPECT_TRUE(known.count(row.prefix)) << "unknown prefix on line " << row.lineNumber;
    if (row.prefix != current) {
      EXPECT_FALSE(finished.count(row.prefix))
          << row.prefix << " rows resume on line " << row.lineNumber;
      finished.insert(current);
      current = row.prefix;
    }
  }
}

// The rules, in file order: zone, bias, then month, weekday, occurrence and hour of the change
// to standard time and of the change to daylight time (all 0 without daylight time).
struct ZoneRule {
  const char* name;
  int bias;
  int standard[4];
  int daylight[4];
};

const ZoneRule kZones[] = {
    {"AUS Eastern", -600, {3, 0, 5, 2}, {10, 0, 5, 2}},
    {"E. South America", 180, {2, 0, 2, 2}, {10, 0, 3, 2}},
    {"Eastern", 300, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"GMT", 0, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Mexico", 360, {}, {}},
    {"Pacific", 480, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"Romance", -60, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"W. Europe", -60, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Afghanistan", -270, {}, {}},
    {"Alaskan", 540, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"Arab", -180, {}, {}},
    {"Arabian", -240, {}, {}},
    {"Atlantic", 240, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"AUS Central", -570, {}, {}},
    {"Azores", 60, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Canada Central", 360, {}, {}},
    {"Caucasus", -240, {}, {}},
    {"Cen. Australia", -570, {3, 0, 5, 2}, {10, 0, 5, 2}},
    {"Central", 360, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"Central Asia", -360, {}, {}},
    {"Central Europe", -60, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Central European", -60, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Central Pacific", -660, {}, {}},
    {"China", -480, {}, {}},
    {"Dateline", 720, {}, {}},
    {"E. Africa", -180, {}, {}},
    {"E. Australia", -600, {}, {}},
    {"E. Europe", -120, {9, 0, 5, 1}, {3, 0, 5, 0}},
    {"Egypt", -120, {9, 3, 5, 2}, {5, 5, 1, 2}},
    {"Ekaterinburg", -300, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Fiji", -720, {}, {}},
    {"FLE", -120, {10, 0, 5, 4}, {3, 0, 5, 3}},
    {"Greenwich", 0, {}, {}},
    {"GTB", -120, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"Hawaiian", 600, {}, {}},
    {"India", -330, {}, {}},
    {"Iran", -210, {9, 2, 4, 2}, {3, 0, 1, 2}},
    {"Israel", -120, {}, {}},
    {"Korea", -540, {}, {}},
    {"Mid-Atlantic", 120, {9, 0, 5, 2}, {3, 0, 5, 2}},
    {"Mountain", 420, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"New Zealand", -720, {3, 0, 3, 2}, {10, 0, 1, 2}},
    {"Newfoundland", 210, {10, 0, 5, 2}, {4, 0, 1, 2}},
    {"Russian", -180, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"SA Eastern", 180, {}, {}},
    {"SA Pacific", 300, {}, {}},
    {"SA Western", 240, {}, {}},
    {"Samoa", 660, {}, {}},
    {"SE Asia", -420, {}, {}},
    {"Singapore", -480, {}, {}},
    {"South Africa", -120, {}, {}},
    {"Sri Lanka", -360, {}, {}},
    {"Taipei", -480, {}, {}},
    {"Tasmania", -600, {3, 0, 5, 2}, {10, 0, 1, 2}},
    {"Tokyo", -540, {}, {}},
    {"US Eastern", 300, {}, {}},
    {"US Mountain", 420, {}, {}},
    {"Vladivostok", -600, {10, 0, 5, 3}, {3, 0, 5, 2}},
    {"W. Australia", -480, {}, {}},
    {"West Asia", -300, {}, {}},
    {"West Pacific", -600, {}, {}},
    {"Yakutsk", -540, {10, 0, 5, 3}, {3, 0, 5, 2}},
};

TEST_F(RefdataFile, TimeZoneRowsAreTheSixtyTwoRulesInOrderWithNineteenNumbersEach) {
  const std::vector<std::string>& zones = List("TZ");
  constexpr std::size_t kZoneCount = sizeof(kZones) / sizeof(kZones[0]);
  static_assert(kZoneCount == 62);
  ASSERT_EQ(zones.size(), kZoneCount);
  for (std::size_t i = 0; i < kZoneCount; ++i) {
    const ZoneRule& zone = kZones[i];
    std::string expected = std::string(zone.name) + "|" + std::to_string(zone.bias) + "#0#-60";
    for (const int* change : {zone.standard, zone.daylight}) {
      expected += "#0";
      for (int k = 0; k < 4; ++k) expected += "#" + std::to_string(change[k]);
      expected += "#0#0#0";
    }
    EXPECT_EQ(zones[i], expected) << "zone row " << i;
    std::size_t bar = zones[i].find('|');
    ASSERT_NE(bar, std::string::npos);
    std::vector<std::string> numbers = Split(zones[i].substr(bar + 1), "#");
    ASSERT_EQ(numbers.size(), 19u) << zones[i];
    for (const std::string& n : numbers)
      EXPECT_TRUE(IsDigits(n[0] == '-' ? n.substr(1) : n)) << zones[i];
  }
  EXPECT_EQ(zones[0], "AUS Eastern|-600#0#-60#0#3#0#5#2#0#0#0#0#10#0#5#2#0#0#0");
  EXPECT_EQ(zones[2], "Eastern|300#0#-60#0#10#0#5#2#0#0#0#0#4#0#1#2#0#0#0");
}

TEST_F(RefdataFile, EachCategoryListHasItsRowCount) {
  for (const CategoryList& list : kCategoryLists)
    EXPECT_EQ(List(list.prefix).size(), list.rows) << list.prefix;
  EXPECT_EQ(rows_->size(), 2632u);
}

TEST_F(RefdataFile, FirstRowOfEachListIsItsAllEntry) {
  for (const CategoryList& list : kCategoryLists) {
    const std::vector<std::string>& rows = List(list.prefix);
    ASSERT_FALSE(rows.empty()) << list.prefix;
    std::string expected = std::string(list.allName) + "|";
    switch (list.value) {
      case ValueKind::kNumber: expected += list.columns == 3 ? "0|0" : "0"; break;
      case ValueKind::kExcite: break;
      case ValueKind::kCnet: expected += "ALL"; break;
    }
    EXPECT_EQ(rows[0], expected) << list.prefix;
  }
}

TEST_F(RefdataFile, RowsTheAdaptersAndTheirTestsRelyOn) {
  ASSERT_GE(List("EbC").size(), 3u);
  EXPECT_EQ(List("EbC")[1], "Antiques|353|0");
  EXPECT_EQ(List("EbC")[2], "    General|12|1");
  EXPECT_EQ(List("ExcC")[0], "All|");
  bool found = false;
  for (const std::string& row : List("CnetC"))
    found = found || row.find("|117&__catg=242&__catg=243&__catg=244&__catg=245&__catg=246") !=
                         std::string::npos;
  EXPECT_TRUE(found) << "no CNET category with several numbers";
}

// Checks one list's rows: columns, values, indentation depth and unique numbers.
void CheckCategoryRows(const CategoryList& list, const std::vector<std::string>& rows) {
  std::size_t previousDepth = 0;
  std::set<std::string> numbers;
  // Sibling names under the current path: a name repeated under one parent is a copy slip.
  std::vector<std::set<std::string>> siblings(1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string where = std::string(list.prefix) + " row " + std::to_string(i) + ": " + rows[i];
    std::vector<std::string> columns = Split(rows[i], "|");
    ASSERT_EQ(columns.size(), static_cast<std::size_t>(list.columns)) << where;
    const std::string& name = columns[0];
    std::size_t blanks = name.find_first_not_of(' ');
    ASSERT_NE(blanks, std::string::npos) << where;
    EXPECT_EQ(blanks % 4, 0u) << where;
    std::size_t depth = blanks / 4;
    if (i == 0) {
      EXPECT_EQ(depth, 0u) << where;
    } else {
      EXPECT_LE(depth, previousDepth + 1) << where;
      EXPECT_TRUE(i > 1 || depth == 0) << "first category is not top level: " << where;
    }
    EXPECT_NE(name.back(), ' ') << where;
    previousDepth = depth;

    if (i > 0) {
      siblings.resize(depth + 2);
      siblings[depth + 1].clear();
      EXPECT_TRUE(siblings[depth].insert(name.substr(blanks)).second) << "repeated " << where;
    }

    if (i == 0) continue;
    const std::string& value = columns[1];
    std::string number = value;
    if (list.value == ValueKind::kCnet) {
      std::vector<std::string> parts = Split(value, "&__catg=");
      for (const std::string& part : parts) EXPECT_TRUE(IsDigits(part)) << where;
      EXPECT_TRUE(depth == 0 || parts.size() == 1) << where;
      number = parts[0];
    }
    EXPECT_TRUE(IsDigits(number)) << where;
    EXPECT_NE(number, "0") << where;
    EXPECT_TRUE(numbers.insert(number).second) << "number used twice, " << where;
    if (list.columns == 3) {
      EXPECT_EQ(columns[2], depth == 0 ? "0" : "1") << where;
    }
  }
}

TEST_F(RefdataFile, CategoryRowsHaveTheColumnsAndIndentationTheirAdaptersRead) {
  for (const CategoryList& list : kCategoryLists) {
    SCOPED_TRACE(list.prefix);
    CheckCategoryRows(list, List(list.prefix));
  }
}

}  // namespace
