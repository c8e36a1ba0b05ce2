// Status codes the library leaves in errorCode, by name. The texts live in
// the one message table (status.cpp); codes marked "no text" show the
// default message.
#pragma once

#include <cstdint>

namespace brant {

enum Status : int32_t {
  kStatusNone = 0,
  kCozAllocation = 150,  // no text
  kCozRead = 151,        // no text
  kZp6Allocation = 168,
  kMchOpen = 182,
  kMchAllocation = 193,
  kClsOpen = 230,
  kClassTotal = 235,
  kDefOpen = 240,
  kDefCreate = 241,
  kDefRead = 244,
  kDefWrite = 245,
  kAccWrite = 246,
  kDisOpen = 250,
  kDisRead = 254,
  kFacOpen = 260,
  kFacRead = 264,
  kLvlOpen = 300,
  kLvlAllocation = 302,
  kLvlRead = 304,
  kMchRead = 324,
  kRteOpen = 350,
  kRteRead = 354,
  kScOpen = 360,
  kScRead = 364,
  kSetOpen = 370,
  kSetRead = 374,
  kWgtOpen = 380,
  kWgtRead = 384,
  kWeightTotal = 385,
  kZf1Open = 390,
  kZf1Read = 394,
  kZp6Open = 436,
  kZp6Read = 438,
  kBseOpen = 220,
  kBseRead = 224,
  kSccOpen = 460,
  kSccRead = 464,
  kAccOpen = 490,
  kAccRead = 494,
  kAccCreate = 520,
  kRteIndexAllocation = 564,  // no text
  // Rate base lookups.
  kAdfOpen = 210,
  kAdfRead = 214,               // also the host's class minimum adjustments
  kAdjustmentPointsOpen = 280,  // .FBA, .TBA, .FCA, .TCA
  kLaneFileOpen = 290,          // .LMA
  kMatrixOpen = 330,            // .MX1, .MTX, .MMX
  kSrvOpen = 375,
  kZipCombination = 501,
  kMmxRead = 569,         // no text
  kAkbOpen = 570,         // no text
  kAkbRead = 571,         // no text
  kAkmOpen = 572,         // no text
  kAkmRead = 573,         // no text
  kBasePointOpen = 576,   // no text
  kAlaskaRateOpen = 577,  // no text
  kAlaskaRateRead = 578,  // no text
  // Rating through the tariff engine.
  kEngineWarning = -1,          // the engine's own warning was shown
  kEngineDidNotRate = 133,      // no text
  kEngineRetryDidNotRate = 134, // no text
};

}  // namespace brant
