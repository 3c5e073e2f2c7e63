// The HtmlViewer unit kind: the eight generic properties, then its own six
// (the four stored settings and the two the control keeps up to date), and
// its ten events in the order handlers are bound by.
#pragma once

#include <cstddef>

#include "shell/unit_schema.h"

namespace gameview {

enum HtmlViewerProperty : std::size_t {
    kFontSize = shell::kFirstOwnProperty,  // 8: any integer stored, 0..4 applied
    kOffline,                              // 9
    kSilent,                               // 10
    kUrl,                                  // 11: the address last written
    kStatusText,                           // 12: from the control, not writable
    kTitle,                                // 13: from the control, not writable
    kHtmlViewerPropertyCount,
};

enum HtmlViewerEvent : std::size_t {
    kBeforeNavigateEvent,
    kNavigateCompleteEvent,
    kDownloadBeginEvent,
    kProgressChangeEvent,
    kDownloadCompleteEvent,
    kDocumentCompleteEvent,
    kStatusTextChangeEvent,
    kTitleChangeEvent,
    kCommandStateChangeEvent,
    kNewWindowEvent,
    kHtmlViewerEventCount,
};

const shell::UnitKindSchema& HtmlViewerSchema();

}  // namespace gameview
