// The whole application framework.
#pragma once

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/MessageMap.h"
#include "framework/PaintDC.h"
#include "framework/platform/File.h"
#include "framework/platform/Thread.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
