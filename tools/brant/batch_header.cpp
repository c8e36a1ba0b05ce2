#include "batch_header.h"

#include <brantfunc/brant.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

#include "bill_output.h"

namespace brant::tool {
namespace {

std::string Lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// "class3" with stem "class" gives 3; 0 when the name is not the stem and a
// number (an out-of-range number such as "class9" is still a number).
std::size_t NumberAfter(std::string_view name, std::string_view stem) {
  if (name.size() <= stem.size() || name.size() > stem.size() + 4 || !name.starts_with(stem)) {
    return 0;
  }
  std::size_t number = 0;
  for (char ch : name.substr(stem.size())) {
    if (ch < '0' || ch > '9') return 0;
    number = number * 10 + static_cast<std::size_t>(ch - '0');
  }
  return number == 0 ? BRANT_MAX_LINES + 1 : number;  // "class0" is out of range too
}

std::string Quoted(std::string_view name) {
  std::string text(1, '"');
  text.append(name).push_back('"');
  return text;
}

// What column `name` is; false with `error` for a line out of range.
bool ClassifyColumn(const std::string& lowered, std::size_t position, BatchColumn& column,
                    std::string& error) {
  column = {};
  if (lowered == "origin") {
    column.kind = BatchColumn::kOrigin;
  } else if (lowered == "destination") {
    column.kind = BatchColumn::kDestination;
  } else if (lowered == "ship_date") {
    column.kind = BatchColumn::kShipDate;
  } else if (lowered == "accessorials") {
    column.kind = BatchColumn::kAccessorials;
  } else {
    for (auto [stem, kind] : {std::pair{"class", BatchColumn::kClass},
                              std::pair{"weight", BatchColumn::kWeight}}) {
      const std::size_t number = NumberAfter(lowered, stem);
      if (number == 0) continue;
      if (number > BRANT_MAX_LINES) {
        error = "column " + std::to_string(position) + " " + Quoted(lowered) +
                ": lines are numbered 1 to " + std::to_string(BRANT_MAX_LINES) + "; " +
                kBatchHeaderHelp;
        return false;
      }
      column.kind = kind;
      column.line = number - 1;
    }
  }
  return true;
}

std::string CanonicalName(const BatchColumn& column, const std::string& name) {
  switch (column.kind) {
    case BatchColumn::kOther: break;
    case BatchColumn::kOrigin: return "origin";
    case BatchColumn::kDestination: return "destination";
    case BatchColumn::kShipDate: return "ship_date";
    case BatchColumn::kAccessorials: return "accessorials";
    case BatchColumn::kClass: return "class" + std::to_string(column.line + 1);
    case BatchColumn::kWeight: return "weight" + std::to_string(column.line + 1);
  }
  return name;
}

// Origin, destination, class1 and weight1, and the other half of every
// further line given.
bool CheckRequired(const std::vector<BatchColumn>& columns, std::string& error) {
  bool origin = false, destination = false;
  bool classes[BRANT_MAX_LINES] = {}, weights[BRANT_MAX_LINES] = {};
  for (const BatchColumn& c : columns) {
    origin = origin || c.kind == BatchColumn::kOrigin;
    destination = destination || c.kind == BatchColumn::kDestination;
    if (c.kind == BatchColumn::kClass) classes[c.line] = true;
    if (c.kind == BatchColumn::kWeight) weights[c.line] = true;
  }
  std::vector<std::string> missing;
  if (!origin) missing.push_back(Quoted("origin"));
  if (!destination) missing.push_back(Quoted("destination"));
  for (std::size_t line = 0; line < BRANT_MAX_LINES; ++line) {
    const bool given = line == 0 || classes[line] || weights[line];
    const std::string number = std::to_string(line + 1);
    if (given && !classes[line]) missing.push_back(Quoted("class" + number));
    if (given && !weights[line]) missing.push_back(Quoted("weight" + number));
  }
  if (missing.empty()) return true;
  error = missing.size() == 1 ? "missing column " : "missing columns ";
  for (std::size_t i = 0; i < missing.size(); ++i) error += (i > 0 ? ", " : "") + missing[i];
  error = error + "; " + kBatchHeaderHelp;
  return false;
}

// The kept columns, in input order.
bool ChooseKept(std::span<const std::string> names, const std::vector<std::string>& keep,
                BatchHeader& header, std::string& error) {
  for (const std::string& wanted : keep) {
    if (!wanted.empty() && std::find(names.begin(), names.end(), wanted) == names.end()) {
      error = "--keep " + Quoted(wanted) + ": no such column in the header";
      return false;
    }
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool chosen = keep.empty()
                            ? header.columns[i].kind == BatchColumn::kOther && !names[i].empty()
                            : std::find(keep.begin(), keep.end(), names[i]) != keep.end() &&
                                  !names[i].empty();
    if (!chosen) continue;
    header.kept.push_back(i);
    header.keptNames.push_back(names[i]);
  }
  return true;
}

// A CSV reader that finds two columns of one name keeps only one of them.
bool CheckOutputNames(const BatchHeader& header, bool chosen, std::string& error) {
  std::vector<std::string> output = {"line"};
  for (std::string_view rest = kCsvBillColumns; !rest.empty();) {
    const std::size_t comma = std::min(rest.find(','), rest.size());
    output.emplace_back(rest.substr(0, comma));
    rest.remove_prefix(std::min(comma + 1, rest.size()));
  }
  for (std::size_t k = 0; k < header.kept.size(); ++k) {
    if (std::find(output.begin(), output.end(), Lowered(header.keptNames[k])) == output.end()) {
      continue;
    }
    error = chosen ? "--keep " + Quoted(header.keptNames[k]) +
                         ": the output has a column of that name already"
                   : "column " + std::to_string(header.kept[k] + 1) + " " +
                         Quoted(header.keptNames[k]) +
                         " has the name of an output column; rename it, or choose the columns "
                         "to keep with --keep";
    return false;
  }
  return true;
}

}  // namespace

const char* const kBatchHeaderHelp =
    "the header names the columns: origin,destination,class1,weight1,...,class8,weight8";

bool ReadBatchHeader(std::span<const std::string> names, const std::vector<std::string>& keep,
                     bool csvOutput, BatchHeader& header, std::string& error) {
  header = {};
  header.names.assign(names.begin(), names.end());
  std::map<std::string, std::size_t> seen;  // a column's name to its position, from 1
  for (std::size_t i = 0; i < names.size(); ++i) {
    BatchColumn column;
    const std::string lowered = Lowered(names[i]);
    if (!ClassifyColumn(lowered, i + 1, column, error)) return false;
    header.columns.push_back(column);
    if (names[i].empty()) continue;
    const auto [at, added] = seen.emplace(CanonicalName(column, names[i]), i + 1);
    if (!added) {
      error = "column " + Quoted(names[i]) + " appears twice: columns " +
              std::to_string(at->second) + " and " + std::to_string(i + 1) + "; " +
              kBatchHeaderHelp;
      return false;
    }
  }
  return CheckRequired(header.columns, error) && ChooseKept(names, keep, header, error) &&
         (!csvOutput || CheckOutputNames(header, !keep.empty(), error));
}

}  // namespace brant::tool
