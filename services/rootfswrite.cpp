#include "rootfswrite.h"

#include "store/storefile.h"

RootFsWrite::RootFsWrite() { storefile::enterWritableRoot(); }

RootFsWrite::~RootFsWrite() { storefile::leaveWritableRoot(); }
