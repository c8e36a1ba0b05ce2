// docs/formats.md is the reference people read: each of its layout tables
// must say what the code's layout says, field for field, and each layout in
// code must have its table. Rows are expanded into single elements (offset,
// width, kind) on both sides, so "10, 12, 16 | 2 each | i16" and an i32[166]
// array compare the same way as a one-field row.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "formats/layouts.h"

namespace brant::formats {
namespace {

using Element = std::tuple<std::size_t, std::size_t, Kind>;  // offset, width, kind
using Elements = std::set<Element>;
constexpr long kCountN = 3;  // the N of count-dependent tables

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, at);) {
    part.erase(0, part.find_first_not_of(" `"));
    part.erase(part.find_last_not_of(" `") + 1);
    parts.push_back(part);
  }
  return parts;
}

// "2 + 16k", "8k", "2N", "197": a sum of terms, each a number, a variable or both.
long Evaluate(const std::string& expr, char var, long value) {
  long sum = 0;
  for (const std::string& term : Split(expr, '+')) {
    std::size_t digits = 0;
    const long factor = term.empty() || !std::isdigit(term[0]) ? 1 : std::stol(term, &digits);
    const std::string name = term.substr(digits);
    sum += name.empty() ? factor
                        : factor * (name[0] == 'N'   ? kCountN
                                    : name[0] == var ? value
                                                     : -1000000);
  }
  return sum;
}

// The offsets of one group: "4, 5, 6", "2 + 2N", or "6i, i = 0..8".
std::vector<long> Offsets(const std::string& cell) {
  std::smatch m;
  std::vector<long> offsets;
  if (std::regex_match(cell, m, std::regex(R"((.*), (\w) = (\d+)\.\.(\d+))"))) {
    for (long v = std::stol(m[3]); v <= std::stol(m[4]); ++v)
      offsets.push_back(Evaluate(m[1], m[2].str()[0], v));
  } else {
    for (const std::string& one : Split(cell, ',')) offsets.push_back(Evaluate(one, ' ', 0));
  }
  return offsets;
}

// Lays one type ("i16", "char[5]", "i32[166]", "3200 × 117", "text") out at `at`.
std::size_t LayOut(const std::string& type, std::size_t at, std::size_t width, Elements& out) {
  static const std::map<std::string, std::pair<Kind, std::size_t>> kScalars = {
      {"char", {Kind::kChar, 1}}, {"i16", {Kind::kI16, 2}}, {"u16", {Kind::kU16, 2}},
      {"u24", {Kind::kU24, 3}},   {"i32", {Kind::kI32, 4}}, {"u32", {Kind::kU32, 4}},
      {"f32", {Kind::kF32, 4}}};
  std::smatch m;
  std::size_t count = 1;
  Kind kind = Kind::kBlock;
  if (std::regex_match(type, m, std::regex(R"(char\[(\d+)\](?:\[(\d+)\])?)"))) {
    kind = Kind::kChars;
    count = m[2].matched ? std::stoul(m[1]) : 1;
    width = std::stoul(m[2].matched ? m[2] : m[1]);
  } else if (std::regex_match(type, m, std::regex(R"((\w+)\[(\w+)\])"))) {
    std::tie(kind, width) = kScalars.at(m[1]);
    count = m[2] == "N" ? kCountN : std::stoul(m[2]);
  } else if (std::regex_match(type, m, std::regex(R"((\d+) × (\d+))"))) {
    count = std::stoul(m[1]);
    width = std::stoul(m[2]);
  } else if (kScalars.count(type) != 0) {
    std::tie(kind, width) = kScalars.at(type);
  } else if (type == "text") {
    kind = Kind::kNumberText;
  }
  for (std::size_t i = 0; i < count; ++i) out.insert({at + i * width, width, kind});
  return count * width;
}

// One table row's elements; a row without a type is bytes the host keeps.
void ReadRow(const std::string& offsetCell, const std::string& widthCell,
             const std::string& typeCell, Elements& out) {
  const auto offsetGroups = Split(offsetCell, ';'), widthGroups = Split(widthCell, ';');
  const auto typeGroups = Split(typeCell, ';');
  for (std::size_t g = 0; g < offsetGroups.size() && !typeCell.empty(); ++g) {
    const std::vector<long> offsets = Offsets(offsetGroups[g]);
    std::string widthText = widthGroups[std::min(g, widthGroups.size() - 1)];
    widthText = std::regex_replace(widthText, std::regex("≤ | each"), "");
    const auto widths = Split(widthText, ','),
               types = Split(typeGroups[std::min(g, typeGroups.size() - 1)], ',');
    for (std::size_t i = 0; i < offsets.size(); ++i) {
      const std::string& w = widths[widths.size() == offsets.size() ? i : 0];
      std::size_t at = offsets[i];
      const std::size_t width = Evaluate(w, ' ', 0);
      if (widths.size() == offsets.size() && offsets.size() > 1) {
        LayOut(types[i], at, width, out);
      } else {
        for (const std::string& type : types) at += LayOut(type, at, width, out);
      }
    }
  }
}

struct Table {
  std::string section;  // the text of the section, for the record size
  Elements elements;
};

// Every layout table of the document, by heading and variant.
std::map<std::pair<std::string, std::string>, Table> DocumentTables() {
  std::ifstream in(BRANT_FORMATS_DOC);
  std::map<std::pair<std::string, std::string>, Table> tables;
  std::string heading, variant, line, sectionText;
  std::vector<std::string> header;
  for (int ordinal = 0; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) {
      heading = line.substr(3, line.find(':') - 3);
      sectionText.clear();
      ordinal = 0;
    }
    sectionText += line + "\n";
    if (line.rfind("|", 0) != 0) {
      header.clear();
      continue;
    }
    const auto cells = Split(line.substr(1, line.size() - 2), '|');
    if (header.empty()) {
      header = cells;
      if (header[0] == "Record" || header[0].rfind("Offset", 0) == 0) ++ordinal;
      // A section's second table is a nested block or the records after a header.
      variant = ordinal < 2 ? "" : header[0] == "Offset in block" ? "block" : "record";
      continue;
    }
    const bool recordColumn = header[0] == "Record";
    if (line.rfind("|---", 0) == 0 || (!recordColumn && header[0].rfind("Offset", 0) != 0))
      continue;
    if (recordColumn && !cells[0].empty()) variant = Split(cells[0], ',')[0];
    const std::size_t o = recordColumn ? 1 : 0;
    Table& table = tables[{heading, variant}];
    ReadRow(cells[o], cells[o + 1], cells[o + 2], table.elements);
    table.section = sectionText;
  }
  return tables;
}

TEST(DocumentedLayouts, EveryTableOfTheDocumentAgreesWithTheLayoutInCode) {
  auto tables = DocumentTables();
  for (const RecordLayout& layout : DocumentedLayouts()) {
    SCOPED_TRACE(std::string(layout.heading) + " " + std::string(layout.variant));
    const auto table = tables.find({std::string(layout.heading), std::string(layout.variant)});
    ASSERT_NE(table, tables.end()) << "no table in the document";
    Elements code, onlyInCode, onlyInDocument;
    for (const Field& f : layout.fields) {
      for (std::size_t i = 0; i < f.count; ++i) code.insert({f.At(i), f.width, f.kind});
    }
    const Elements& document = table->second.elements;
    std::ranges::set_difference(code, document, std::inserter(onlyInCode, onlyInCode.end()));
    std::ranges::set_difference(document, code,
                                std::inserter(onlyInDocument, onlyInDocument.end()));
    EXPECT_EQ(onlyInCode, Elements{}) << "fields (offset, width, kind) the document lacks";
    EXPECT_EQ(onlyInDocument, Elements{}) << "fields (offset, width, kind) the code lacks";
    const std::string size = std::to_string(layout.size);
    EXPECT_TRUE(
        layout.size == 0 ||
        std::regex_search(table->second.section,
                          std::regex("\\b" + size + "(-byte| bytes| each)|, " + size + " \\|")))
        << "the document does not give the size " << size;
    tables.erase(table);
  }
  for (const auto& [key, table] : tables)
    ADD_FAILURE() << key.first << " " << key.second << ": a table with no layout in code";
}

}  // namespace
}  // namespace brant::formats
