#pragma once

// The ad library's name for the base-N string encoding; see RookStringEncoding for the contract.

#include "encoding/RookStringEncoding.h"

using TAD_RookStringEncoding = RookStringEncoding;
