/*
 * The contract a tariff engine library must meet so that brantfunc can rate
 * through it.
 *
 * The host loads the engine library itself (dlopen) and stores the handle in
 * RateContext.engineModule; GetTEAddresses then looks up the ten functions
 * below by their exact names (dlsym). Every function but Engine_InitializeEx
 * takes the engine handle that Engine_InitializeEx returned (0 means no
 * engine). All buffers are owned by the caller and have the sizes given
 * here; an engine never writes past them. Texts are single-byte.
 *
 * Call order: Engine_InitializeEx, Engine_SetDataDirEx,
 * Engine_GetEffectiveTableSizeEx, Engine_GetEffectiveTableEx for each index,
 * Engine_DisplayVersionEx; then per shipment Engine_RateShipment2Ex, perhaps
 * followed by Engine_GetTablesEx, Engine_GetErrorStringEx and a second
 * Engine_RateShipment2Ex; Engine_GetStateEx at any time while open;
 * Engine_EndEx last.
 */
#ifndef BRANTFUNC_TARIFF_ENGINE_H
#define BRANTFUNC_TARIFF_ENGINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An open engine; 0 means none. Wide enough for an engine to hand out a
   pointer. */
typedef intptr_t EngineHandle;

enum {
  ENGINE_EFFECTIVITY_ENTRY_SIZE = 17,
  ENGINE_TABLES_BLOCK_SIZE = 222,
  ENGINE_REQUEST_SIZE = 2160,
  ENGINE_PRIMARY_RESULT_SIZE = 976,   /* first i32 word set to 960 */
  ENGINE_SECONDARY_RESULT_SIZE = 816, /* first i32 word set to 800 */
  ENGINE_ERROR_TEXT_SIZE = 90,
  ENGINE_VERSION_BLOCK_SIZE = 108
};

/* Result block words the caller reads after a rating. */
enum {
  ENGINE_RESULT_RATED_AT = 4, /* i32; -1 means the shipment was not rated */
  ENGINE_RESULT_FLAG_AT = 8   /* i16, primary block only */
};

/* Version block: six NUL-terminated texts at these offsets, in the order
   of the texts. */
enum {
  ENGINE_VERSION_TEXT1_AT = 0,
  ENGINE_VERSION_TEXT2_AT = 20,
  ENGINE_VERSION_TEXT3_AT = 23,
  ENGINE_VERSION_TEXT4_AT = 76,
  ENGINE_VERSION_TEXT5_AT = 79,
  ENGINE_VERSION_TEXT6_AT = 84
};

/* Opens the engine on a data directory; the handle, 0 when none. */
typedef EngineHandle (*Engine_InitializeEx_fn)(const char* dataDir);
/* Points the engine at a data directory; the result is ignored. */
typedef int32_t (*Engine_SetDataDirEx_fn)(EngineHandle engine, const char* dataDir);
/* The number of effectivity entries, in the low 16 bits (signed). */
typedef int32_t (*Engine_GetEffectiveTableSizeEx_fn)(EngineHandle engine);
/* Entry `index` (from 0): a pointer to its 17 bytes (scratch may be used
   for them), or NULL. `scratch` holds ENGINE_EFFECTIVITY_ENTRY_SIZE zeroed
   bytes. */
typedef const uint8_t* (*Engine_GetEffectiveTableEx_fn)(EngineHandle engine, uint8_t* scratch,
                                                         int32_t index);
/* Fills the class codes and their count in the 222-byte tables block, which
   carries the tariff name (offset 204) and date (212); non-zero on success. */
typedef int32_t (*Engine_GetTablesEx_fn)(EngineHandle engine, uint8_t* tablesBlock);
/* Rates the 2160-byte request record, writing its status and results into
   it and into the result block (976 or 816 bytes); the result is ignored. */
typedef int32_t (*Engine_RateShipment2Ex_fn)(EngineHandle engine, uint8_t* request,
                                             uint8_t* resultBlock);
/* The message of the 4-character status code held in the 90-byte zeroed
   buffer; expected to return that buffer with the message in it. */
typedef char* (*Engine_GetErrorStringEx_fn)(EngineHandle engine, char* text);
/* Fills the six version texts of the 108-byte block. */
typedef int32_t (*Engine_DisplayVersionEx_fn)(EngineHandle engine, uint8_t* versionBlock);
/* Writes the 2-character state of a ZIP or postal code (no terminator);
   non-zero when the code is known. */
typedef int32_t (*Engine_GetStateEx_fn)(EngineHandle engine, char* state, const char* postalCode);
/* Closes the engine; 0 on success. */
typedef int32_t (*Engine_EndEx_fn)(EngineHandle engine);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BRANTFUNC_TARIFF_ENGINE_H */
