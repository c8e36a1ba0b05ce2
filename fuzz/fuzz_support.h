// What the fuzz targets share: the kit tariffs they start from, the input's
// layout, and the host's steps through the C interface.
//
// An input is a shipment line (or two), then the files that replace the
// kit's, each introduced by a marker line:
//
//   MATRIX 60601 30301 100 450 85 1200
//   @@FILE .RTE
//   <the bytes of MATRIX.RTE>
//   @@FILE .ZF1
//   ...
//
// A shipment line reads: tariff (MATRIX, POINTS or WIDE), origin,
// destination, then class and weight pairs (up to eight), then options:
// "terminals=ORIG/DEST" asks for transit days between those terminals. An
// end ending in "M" is a Mexican point. A family target takes only its own
// files and ignores the rest; PROFILE.FIL is given folded (see FoldProfile).
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brant::fuzz {

// What comes before each file's name; the name runs to the end of its line.
inline constexpr std::string_view kFileMarker = "\n@@FILE ";
inline constexpr const char* kProfileFile = "PROFILE.FIL";

struct Input {
  std::string_view control;                                          // the shipment lines
  std::vector<std::pair<std::string_view, std::string_view>> files;  // name, bytes
};
Input SplitInput(const uint8_t* data, std::size_t size);
// The inverse: control text and named files as one input.
std::string JoinInput(std::string_view control,
                      const std::vector<std::pair<std::string, std::string>>& files);

struct Shipment {
  std::string tariff = "MATRIX";
  std::string origin, destination;
  std::vector<std::pair<std::string, std::string>> lines;  // class, weight
  std::string originTerminal, destinationTerminal;
};
// Line `index` of the control text (the first when there is no such line).
Shipment ParseShipment(std::string_view control, std::size_t index = 0);

// A family: the files its target replaces, and the shipment lines its seeds
// rate (with every kit tariff the line names, and with the sample tariff).
struct Family {
  const char* name;
  std::vector<const char*> files;  // extensions, or PROFILE.FIL
  std::vector<const char*> shipments;
};
const std::vector<Family>& Families();
const Family& FamilyNamed(std::string_view name);  // aborts on an unknown name

// The scratch directory (under /dev/shm when there is one) holding the kit
// tariffs MATRIX, POINTS and WIDE and a PROFILE.FIL, written on first use;
// and the user's profile directory beside it. Both end in "/".
const std::string& DataDir();
const std::string& ProfileDir();
// The kit's bytes of a tariff file ("MATRIX", ".RTE"), or of PROFILE.FIL;
// empty when the kit writes no such file.
const std::string& KitFile(const std::string& tariff, const std::string& extension);
std::vector<std::string> KitExtensions(const std::string& tariff);

// PROFILE.FIL records are half a megabyte, mostly empty tables; an input
// carries only the parts of the first record that readers look at first:
// the head, the first ZIP-range entries and counts, and the tail.
std::string FoldProfile(std::string_view file);
// Unfolding writes the whole file into `file`, over the record `over`.
void UnfoldProfile(std::string_view folded, std::string_view over, std::string& file);

// Puts the input's files that `allowed` names (all of them when null) in
// place of the kit's for the tariff of the first shipment line, until the
// object is destroyed, which puts the kit's files back.
class ReplacedFiles {
 public:
  ReplacedFiles(const Input& input, const std::string& tariff, const Family* allowed);
  ~ReplacedFiles();
  ReplacedFiles(const ReplacedFiles&) = delete;
  ReplacedFiles& operator=(const ReplacedFiles&) = delete;

 private:
  std::vector<std::pair<std::string, const std::string*>> restore_;  // path, kit bytes
};

// A record as a host prepares one: zeroed, every handle -1, the kit's
// directories and the tariff's name. At most two at a time.
struct RecordDeleter {
  void operator()(RateContext* c) const;  // CloseAllFiles, and the record is free again
};
using Record = std::unique_ptr<RateContext, RecordDeleter>;
Record NewRecord(const std::string& tariff);

// The host's steps for one shipment on an open tariff: clear the last
// shipment's fields, the ends, territory, each line's class and weight,
// LoadDiscounts, RateShipment. The result of RateShipment, or 0 when a
// step refused the shipment before it.
int32_t RateAsHost(RateContext& c, const Shipment& s);

// Opens the tariff, reads the user's files, rates the first shipment line
// and closes: what most family targets do after replacing their files.
// With `profiles`, the user's profile file is made and its first profile
// applied before rating.
void OpenAndRate(const Input& input, bool profiles);

// With BRANTFUNC_FUZZ_VERBOSE set, tells on standard error how a shipment
// came out, to see what the seeds reach.
void Tell(const Shipment& s, const RateContext& c, int32_t rated);

}  // namespace brant::fuzz
