// The start handler: the globals' initial values, the screen from the "Main" layout, the timers,
// the word log, the sliders' restored positions, the sensors, speech, the word list and memory,
// and the device kind. When it returns the program waits, generator off, for the person.
#include "app/zm_main.h"

#include "runtime/core/RtCore.h"
#include "runtime/core/RtNativeObject.h"
#include "runtime/lib/RtFile.h"

namespace zemtra::app {

void zm_main::_application_start(const std::shared_ptr<RtNavigationControllerWrapper>& navigation) {
    initializeStaticModules();
    _navcontrol = navigation;
    _page1->Initialize(bi, u"Page1");
    _page1->RootPanel()->setColor(static_cast<int32_t>(0xFF000000u));
    _page1->RootPanel()->LoadLayout(u"Main", bi);
    _navcontrol->setNavigationBarVisible(false);
    _navcontrol->setToolBarVisible(false);
    _page1->setTitle(u"Main");
    _navcontrol->ShowPage(_page1);
    _page1->setHideBackButton(true);

    _tmr1->Initialize(bi, u"tmr1", 200);
    _tr1->Initialize(bi, u"tr1", 1000);

    prepareWordLog();
    restoreSliders();

    callService(_move, u"Initialize");
    callService(_move, u"StartMagnetometer");
    callService(_move, u"Start");
    logSensorSource();
    _delay(100);

    for (const auto& panel : {_pnllog, _pnlset, _pnlinfo}) {
        panel->setLeft(0);
        panel->setTop(0);
    }
    _f = 1;

    callService(_talk, u"Initialize::", {Value(bi), Value(String())});
    callService(_talk, u"setPitch:", {Value::ofFloat(0.1f)});
    callService(_talk, u"setSpeechRate:", {Value::ofFloat(0.3f)});
    _delay(100);

    _addto();
    showSourceLine();

    const auto native = RtNativeObject::wrap(Value(object()));
    const String name = native->runMethod(u"deviceName", {})->AsString();
    bi->Log(name);
    if (name.find(u"iPod") != String::npos) _dn = 1;
    bi->Log(u"Type DN = " + fromUtf8(std::to_string(_dn)));
}

}  // namespace zemtra::app
