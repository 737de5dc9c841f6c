#pragma once
// Capture and save: a picture on the clipboard becomes a file in BaseDir. The
// steps run on the worker thread as CaptureQueue takes up each change; see
// CaptureQueue.h.

#include "capture/CaptureQueue.h"
