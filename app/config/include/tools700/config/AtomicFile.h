// The configuration model's file helpers in one include: replacing a file on disk through the one
// writer every part of 700Tools shares (tools700/common/AtomicFile.h, in app/common) and reading the
// model's text files line by line (tools700/config/TextFile.h).
#pragma once

#include "tools700/common/AtomicFile.h"
#include "tools700/config/TextFile.h"
