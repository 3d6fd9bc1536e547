#pragma once

#include "platform/cad/arx/rxobject.h"

class AcDbDatabase;

class AcApDocument : public AcRxObject {
public:
    const ACHAR* fileName() const;
    AcDbDatabase* database() const;
    AcRxClass* isA() const override;

private:
    friend class AcApDocManager;
    void* m_document = nullptr;
};

class AcApDocManagerReactor : public AcRxObject {
public:
    virtual void documentToBeDestroyed(AcApDocument* document);
    AcRxClass* isA() const override;
};

class AcApDocManager : public AcRxObject {
public:
    void addReactor(AcApDocManagerReactor* reactor);
    void removeReactor(AcApDocManagerReactor* reactor);
    Acad::ErrorStatus pushResourceHandle(HINSTANCE handle);
    Acad::ErrorStatus popResourceHandle();
    // The handle on top of the resource stack, where the framework looks for templates; null when empty.
    HINSTANCE curResourceHandle() const;
    AcApDocument* curDocument() const;
    int documentCount() const;
    AcRxClass* isA() const override;

    // The wrapper of an editor document; the same object for as long as the document lives.
    static AcApDocument* documentFor(void* cadDocument);
};

AcApDocManager* acDocManagerPtr();
