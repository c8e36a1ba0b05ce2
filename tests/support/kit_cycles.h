// Whole cycles of a host on kit tariffs, shared by the fault sweeps and the
// concurrent rating tests: one lane on each method and special leg, and a
// host's open, validate, rate and close on one record.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ratebase/golden_tariffs.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {

namespace kit = tariffkit;

// A shipment of one line on each method and each special leg the kit
// builds (see tests/ratebase/golden_tariffs.h).
struct Lane {
  const char* what;
  const char* tariff;
  const char* origin;  // a Mexican point ends in M
  const char* destination;
  const char* freightClass;
  int32_t weight;
};

inline const Lane kLanes[] = {
    {"matrix", "MATRIX", "02101", "60601", "100", 500},
    {"base points", "POINTS", "H2X1Y4", "60601", "100", 500},
    {"base points, adjusted lane", "POINTS", "30301", "75001", "100", 500},
    {"Hawaiian leg", "MATRIX", "90001", "96813", "100", 400},
    {"Alaskan leg", "MATRIX", "99501", "60601", "85", 600},
    {"Mexican leg", "MATRIX", "22000M", "60601", "100", 470},
};

// The golden tariffs, MATRIX with user defaults that take Hawaiian
// percentages, written once.
inline const TempDir& KitTariffs() {
  static const TempDir dir;
  static const bool written = [] {
    golden::WriteMatrixTariff(dir.path());
    golden::WritePointsTariff(dir.path());
    kit::WriteFile(dir.path(), "MATRIX.DEF",
                   kit::DefaultsRecord({.hawaiiTable2PercentOn = 1,
                                        .hawaiiTable2Percent = 10.0f}));
    return true;
  }();
  (void)written;
  return dir;
}

template <std::size_t N>
inline std::string Field(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// What a host reads of a rated shipment; the Hawaiian charges only of a
// Hawaiian one (the record keeps an earlier shipment's otherwise).
inline std::string RecordBill(const RateContext& c) {
  std::string out = Field(c.rbno);
  for (const std::string& text :
       {Field(c.lineRate[0]), Field(c.lineCharge[0]), Field(c.deficitWeight),
        Field(c.deficitRate), Field(c.deficitCharge), Field(c.totalWeight),
        Field(c.billedWeight), Field(c.grossCharge), Field(c.netCharge),
        Field(c.minimumChargeText), Field(c.billedWeightCopy)}) {
    out += "|" + text;
  }
  char more[160];
  const bool hawaii = c.hawaiiShipment == 1;
  std::snprintf(more, sizeof more, "|hi %d %d %.2f|legs %d %d %d %d",
                hawaii ? int{c.hawaiiTable1Charge} : 0, hawaii ? int{c.hawaiiOtherCharges} : 0,
                hawaii ? double{c.hawaiiPercentCharges} : 0.0, int{c.hawaiiShipment},
                int{c.alaskaShipment}, int{c.mexicanLeg}, int{c.useBasePoints});
  return out + more;
}

struct RecordOutcome {
  std::string said;     // each step that failed, with its status
  std::string bill;     // when the shipment was rated
  int32_t left = 0;     // errorCode after rating: a status a rating may leave
  bool closed = false;  // CloseAllFiles returned 1
};

// A host's cycle on one record: its defaults, the tariff, both ends, the
// lane and the line validated, the shipment rated, everything closed. A
// missing or unreadable .DEF is told and the host goes on without it.
inline RecordOutcome RecordCycle(RateContext& c, const Lane& lane) {
  c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
      c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
  PutText(c.dataDir, KitTariffs().Slashed());
  PutText(c.profileDir, KitTariffs().Slashed());
  PutText(c.tariffName, lane.tariff);
  PutText(c.origZip, lane.origin);
  PutText(c.destZip, lane.destination);
  // A Mexican end is the host's to mark.
  c.origMexicanPoint = lane.origin[std::strlen(lane.origin) - 1] == 'M';
  c.destMexicanPoint = 0;
  c.errorCode = 0;
  char weight[8];
  std::snprintf(weight, sizeof weight, "%d", lane.weight);
  RecordOutcome o;
  auto step = [&](const char* name, bool done) {
    if (!done) o.said += std::string(name) + " " + std::to_string(c.errorCode) + "; ";
    return done;
  };
  step("defaults", ReadDefFile(&c) == 1);
  c.errorCode = 0;
  if (step("open", OpenAllFiles(&c, nullptr) == 1) && step("origin", VerOrigZip(&c) == 1) &&
      step("destination", VerDestZip(&c) == 1) && step("territory", VerTerritory(&c) == 1) &&
      step("class", VerClass(&c, lane.freightClass, 0, 0) == 1) &&
      step("weight", VerWeight(&c, weight, 0) == 1)) {
    c.wantTransitDays = 0;
    c.hawaiiWeight = lane.weight;
    if (step("rate", RateShipment(&c, 0, 0) == 1)) {
      o.bill = RecordBill(c);
      o.left = c.errorCode;
    }
  }
  o.closed = CloseAllFiles(&c) == 1;
  return o;
}

}  // namespace brant::test_support
