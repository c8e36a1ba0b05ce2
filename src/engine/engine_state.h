// The one tariff engine binding of the process: the engine's functions,
// its open handle, the request record shared by every rating and the two
// result blocks. Callers use it from one thread at a time.
#pragma once

#include <brantfunc/brantfunc.h>
#include <brantfunc/tariff_engine.h>

#include <cstdint>

namespace brant {

struct EngineFunctions {
  Engine_GetStateEx_fn getState = nullptr;
  Engine_GetErrorStringEx_fn getErrorString = nullptr;
  Engine_InitializeEx_fn initialize = nullptr;
  Engine_SetDataDirEx_fn setDataDir = nullptr;
  Engine_GetEffectiveTableEx_fn getEffectiveTable = nullptr;
  Engine_GetEffectiveTableSizeEx_fn getEffectiveTableSize = nullptr;
  Engine_GetTablesEx_fn getTables = nullptr;
  Engine_RateShipment2Ex_fn rateShipment = nullptr;
  Engine_DisplayVersionEx_fn displayVersion = nullptr;
  Engine_EndEx_fn end = nullptr;
};

struct EngineState {
  EngineFunctions functions;
  EngineHandle handle = 0;  // 0: no engine open
  uint8_t request[ENGINE_REQUEST_SIZE] = {};
  uint8_t* primaryResult = nullptr;
  uint8_t* secondaryResult = nullptr;
  uint8_t versionBlock[ENGINE_VERSION_BLOCK_SIZE] = {};
  // The data directory handed to an engine whose record field lacks a
  // terminator: the engine may keep the pointer, so the text lives as long
  // as the binding.
  char dataDir[BRANT_PATH_SIZE + 1] = {};
};

EngineState& Engine();

}  // namespace brant
