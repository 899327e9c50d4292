// The slideshow server library: its type library, the control and
// property page classes, and the four exports.
#include "slide/morvik_slide.h"
#include "slide/slide_page.h"
#include "viewer_common/hosting/control_object.h"
#include "viewer_common/hosting/property_page.h"
#include "viewer_common/hosting/server_module.h"

namespace slide {

using namespace hosting;

namespace {

HRESULT CreatePage(IUnknown* outer, const Guid& iid, void** out) {
  return CreatePropertyPage(SlidePageSpec(), outer, iid, out);
}

const ModuleInfo& Module() {
  static const ModuleInfo info = [] {
    ModuleInfo m;
    m.type_library = {kLibId, "MORVIK7SLIDELib", "1.0", "Morvik7 Slideshow ActiveX Control"};
    m.classes.push_back({CMorvikSlide::Class().info, &CreateControl<CMorvikSlide>, {}});
    ClassInfo page;
    page.clsid = kPageClsid;
    page.prog_id = "Morvik7Slide.MorvikSlidePrp.1";
    page.version_independent_prog_id = "Morvik7Slide.MorvikSlidePrp";
    page.description = "MorvikSlidePrp Class";
    m.classes.push_back({page, &CreatePage, {}});
    return m;
  }();
  return info;
}

}  // namespace

const ModuleInfo& SlideModule() { return Module(); }

}  // namespace slide

OSMUND_SERVER_EXPORTS(slide::SlideModule)
