// The tariff's settings record (.SET): 373 bytes, of which the library reads
// a handful of named bytes; every other byte is the host's and stays zero.
#pragma once

#include <array>
#include <string>

namespace brant::tariffkit {

struct Settings {
  std::string issueText = "  101";  // bytes 4 to 8; their digits form the issue number
  std::string postalCodeLength = "5";
  char useAdjustments = 'N';
  // The first loads .ACC, the sixth refuses alphabetic postal codes.
  std::array<char, 9> optionFlags = {'N', 'N', 'N', 'N', 'N', 'N', 'N', 'N', 'N'};
  char engineMode = 'N';  // "N": never ask the tariff engine for a state
  char weightTierOnGross = 'N';
  std::string serviceGuideAccountWest{};
  std::string serviceGuideAccount{};
  char serviceGuideMode = '0';
  char useFacTables = 'Y';    // Y: .FAC/.BSE/.ZF1 and the .RTE index; N: .SCC/.ZP6
  char wideRteRecords = 'N';  // Y: 670-byte .RTE records; otherwise 58
};

// The 373-byte .SET record. Texts are NUL-padded to their fields; a text
// longer than its field is refused.
std::string SettingsRecord(const Settings& settings);

}  // namespace brant::tariffkit
