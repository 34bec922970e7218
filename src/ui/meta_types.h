#pragma once
// Core types carried by the windows' queued signals, declared once for every window that uses them.
#include <QMetaType>

#include "displays/display_content.h"

Q_DECLARE_METATYPE(orv::GraphRequest)
