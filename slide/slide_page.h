// File: slide/slide_page.h
//
// CMorvikSlidePrp, the slideshow's property page, as data for the shared
// page dialog: its fields with their Japanese and English labels and value
// captions, in the order Apply writes them.  The value captions also serve
// the per-property browsing of the enumerated properties.
//
//   hosting::PropertyPageDialog page(slide::SlidePageSpec(), {dispatch});
#pragma once

#include <string>
#include <vector>

#include "viewer_common/hosting/property_page.h"
#include "viewer_common/hosting/server_module.h"

namespace slide {

const hosting::PageSpec& SlidePageSpec();
const hosting::ModuleInfo& SlideModule();

// Captions of the predefined values of an enumerated property ("0 - ...")
// in the user interface's language; empty for other properties.
const std::vector<std::u16string>& ValueCaptions(hosting::DispId id, bool japanese);

}  // namespace slide
