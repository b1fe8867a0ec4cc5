// Start-up after a crash: the recovery files that a killed or crashed
// instance left are offered one by one, oldest first:
// "Recover the tracing over scan.bmp from 2026-12-07 21:14?"
//   Yes     the image is opened again and the board put over it, unsaved;
//           when the image is gone, over a new empty document (after saying
//           so). The files go once the board is autosaved anew.
//   No      the files are removed.
//   Cancel  the files are kept, and so are all not yet offered, for the
//           next start; nothing more is asked.
// Damaged files are never offered: the user is told why and they stay.
#pragma once

#include "exchange/recovery_manifest.h"

#include <functional>
#include <string>

class CDibView;
class RecoverySession;

// Opens the image at `imagePath`, or a new empty document when the path is
// empty, in a window of its own; its view, or null when it failed.
using RecoveryViewOpener = std::function<CDibView*(const std::string& imagePath)>;

void OfferRecovery(RecoverySession& session, const RecoveryViewOpener& open);

// The question for one recovery file (local time).
std::string RecoveryQuestion(const RecoveryManifest& manifest);
