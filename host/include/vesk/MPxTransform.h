// Static attributes shared by every transform.
#ifndef VESK_MPXTRANSFORM_H
#define VESK_MPXTRANSFORM_H

#include <vesk/MObject.h>
#include <vesk/VeskExport.h>

class VESK_API MPxTransform {
public:
    // The computed array "worldMatrix" of DAG nodes: element i is the world
    // matrix of instance i.
    static MObject worldMatrix;
};

#endif
