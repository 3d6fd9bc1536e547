#pragma once

#include "platform/cad/arx/rxobject.h"

using AcRxFunctionPtr = void (*)();
class AcEdUIContext;
class AcEdCommand;

namespace ACRX_CMD {
enum : Adesk::Int32 { kModal = 0, kTransparent = 1 };
}

class AcEdCommandStack : public AcRxObject {
public:
    Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName, const ACHAR* cmdLocalName,
                                 Adesk::Int32 commandFlags, AcRxFunctionPtr functionAddr,
                                 AcEdUIContext* uiContext = nullptr, int fcode = -1,
                                 HINSTANCE resourceHandle = nullptr, AcEdCommand** cmdPtrRet = nullptr);
    Acad::ErrorStatus removeGroup(const ACHAR* groupName);
    AcRxClass* isA() const override;
};

HWND adsw_acadMainWnd();
// The host's user-interface library start; counted so a host can see that a module called it.
void InitAcUiDLL();
int acedInitAcUiDLLCount();
