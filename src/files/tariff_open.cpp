// OpenAllFiles and CloseAllFiles: a whole tariff, opened in a fixed order
// and released in one call.
#include <brantfunc/brantfunc.h>

#include "formats/host_records.h"
#include "context/status_codes.h"
#include "files/loaders.h"
#include "files/record_access.h"

namespace brant {
namespace {

// Option flags hold "Y" or "N" once a tariff is open.
void NormaliseOptionFlags(RateContext& context) {
  for (std::size_t i = 0; i < settings::kOptionFlagCount; ++i) {
    if (settings::OptionFlag(context, i) != 'Y') settings::SetOptionFlag(context, i, 'N');
  }
}

// A tariff on the indexed layout may carry Canadian postal ranges as well,
// so that its letter-first postal codes validate; they are loaded when the
// file is there, and a tariff without them opens as before.
void LoadOptionalPostalRanges(RateContext& c) {
  const int16_t probe = Openfile(&c, ".SCC");
  if (probe <= 0) return;
  CloseHandle(probe);
  const int32_t kept = c.errorCode;
  if (!LoadSccTable(c)) c.errorCode = kept;
}

int32_t OpenTariff(RateContext& c, int32_t* stateTableLoaded) {
  if (!LoadSettings(c)) return 0;
  NormaliseOptionFlags(c);
  if (settings::OptionFlag(c, 0) == 'Y' && !LoadAccessorials(c)) return 0;
  const bool facLayout = settings::useFacTables.IsYes(c);
  if (facLayout) {
    std::size_t recordSize =
        settings::wideRteRecords.IsYes(c) ? kWideRteRecord : kNarrowRteRecord;
    if (!BuildRteIndex(c, recordSize)) return 0;
  }
  if (!LoadMchTable(c) || !LoadClasses(c) || !ReadWgtFile(&c)) return 0;
  // A tariff without state codes still opens; its status stays behind.
  if (LoadStateCodes(c) && stateTableLoaded != nullptr) *stateTableLoaded = 1;
  if (!OpenFactorFiles(c)) return 0;
  if (facLayout) {
    if (!LoadBseHeader(c) || !LoadZf1Tables(c)) return 0;
    LoadOptionalPostalRanges(c);
  } else {
    if (!LoadSccTable(c)) {
      c.errorCode = kSccOpen;
      return 0;
    }
    if (!LoadZp6Table(c)) return 0;
  }
  for (std::size_t i = 0; i < 4; ++i) c.openTimeCounters[i] = 0;
  c.wantTransitDays = 0;
  c.zmcCount = CountZmcRecords(c);
  return 1;
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t OpenAllFiles(RateContext* context, int32_t* stateTableLoaded) {
  if (context == nullptr) return 0;
  return brant::OpenTariff(*context, stateTableLoaded);
}

int32_t CloseAllFiles(RateContext* context) {
  using brant::CloseHandle;
  using brant::ReleaseTable;
  if (context == nullptr) return 1;
  RateContext& c = *context;
  c.zf1Handle = CloseHandle(c.zf1Handle);
  c.auxHandle = CloseHandle(c.auxHandle);
  c.bseHandle = CloseHandle(c.bseHandle);
  c.facHandle = CloseHandle(c.facHandle);
  c.fc1Handle = CloseHandle(c.fc1Handle);
  c.fc2Handle = CloseHandle(c.fc2Handle);
  c.altFactorHandle = CloseHandle(c.altFactorHandle);
  c.cozTable = ReleaseTable(c.cozTable);
  c.efcTable = ReleaseTable(c.efcTable);
  c.lvlTable = ReleaseTable(c.lvlTable);
  c.mchTable = ReleaseTable(c.mchTable);
  c.rteIndex = ReleaseTable(c.rteIndex);
  for (std::size_t i = 0; i < 4; ++i) c.reservedTables[i] = ReleaseTable(c.reservedTables[i]);
  c.sccTable = ReleaseTable(c.sccTable);
  c.zp6Table = ReleaseTable(c.zp6Table);
  return 1;
}

}  // extern "C"
