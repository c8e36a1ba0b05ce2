// The tariff kit: one writer per tariff and user file format, each the
// inverse of the library's reader, producing a file's exact bytes from a
// plain description. Writers refuse (std::invalid_argument) what a format
// cannot hold unless a description asks for a malformed file on purpose.
#pragma once

#include "tariffkit/adjustment_files.h"
#include "tariffkit/charge_files.h"
#include "tariffkit/file_output.h"
#include "tariffkit/host_files.h"
#include "tariffkit/matrix_files.h"
#include "tariffkit/postal_files.h"
#include "tariffkit/profile_files.h"
#include "tariffkit/rate_files.h"
#include "tariffkit/settings_file.h"
#include "tariffkit/small_tariff.h"
#include "tariffkit/special_leg_files.h"
#include "tariffkit/table_files.h"
#include "tariffkit/transit_files.h"
#include "tariffkit/user_files.h"
