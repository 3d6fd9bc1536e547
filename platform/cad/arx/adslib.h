#pragma once

#include "platform/cad/arx/dbmain.h"

// Result codes of the interactive functions.
enum : int { RTNONE = 5000, RTNORM = 5100, RTERROR = -5001, RTCAN = -5002, RTREJ = -5003, RTKWORD = -5005 };
// Result-buffer value types.
enum : short {
    RTREAL = 5001,
    RTPOINT = 5002,
    RTSHORT = 5003,
    RTANG = 5004,
    RTSTR = 5005,
    RTENAME = 5006,
    RTPICKS = 5007,
    RTORINT = 5008,
    RT3DPOINT = 5009,
    RTLONG = 5010,
    RTDXF0 = 5020,
};

using ads_real = double;
using ads_point = ads_real[3];
using ads_name = std::int64_t[2];
using ads_pointp = ads_real*;

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
    std::int64_t rlname[2];
    Adesk::Int32 rlong;
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};

// Host-allocated memory (strings in result buffers, names handed out) is released here.
void acad_free(void* p);
void* acad_malloc(std::size_t size);

resbuf* acutNewRb(int type);
// Releases the whole list, strings included.
int acutRelRb(resbuf* rb);
// Pairs of type and value ending in 0 or RTNONE; RTDXF0 and group codes below 5000 take their value by
// the group's kind (0-9 text, 10-19 point, 38-59 real, 60-79 short, 90-99 long).
resbuf* acutBuildList(int type, ...);

int acutPrintf(const ACHAR* format, ...) __attribute__((format(printf, 1, 2)));
int acedAlert(const ACHAR* message);

int acedGetFileD(const ACHAR* title, const ACHAR* defaultName, const ACHAR* extension, int flags, resbuf* result);
int acedGetVar(const ACHAR* name, resbuf* result);
int acedSetVar(const ACHAR* name, const resbuf* value);

int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
int acedSSFree(const ads_name ss);
int acedSSLength(const ads_name ss, Adesk::Int32* length);
int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity);
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name entity);
Acad::ErrorStatus acdbGetAdsName(ads_name entity, AcDbObjectId id);

int acedInitGet(int bits, const ACHAR* keywords);
int acedGetPoint(const ads_point basePoint, const ACHAR* prompt, ads_point result);
int acedGrRead(int track, int* type, resbuf* result);
int acedGrDraw(const ads_point from, const ads_point to, int colour, int highlight);
int acedRedraw(const ads_name entity, int mode);
// Runs a command with its arguments: pairs of type and value ending in 0 or RTNONE.
int acedCommand(int type, ...);
