// The whole application framework.
#pragma once

#include "Controls.h"
#include "DataExchange.h"
#include "Dialog.h"
#include "File.h"
#include "Font.h"
#include "MessageMap.h"
#include "PaintDC.h"
#include "Thread.h"
#include "WinApp.h"
#include "Wnd.h"
