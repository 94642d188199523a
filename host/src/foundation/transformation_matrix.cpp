#include <vesk/MTransformationMatrix.h>

#include <cmath>

#include "foundation/rotation_impl.h"

namespace {

bool spaceOk(MSpace::Space space)
{
    return space == MSpace::kTransform || space == MSpace::kObject;
}

MStatus report(MStatus* status, bool ok)
{
    const MStatus s = ok ? MStatus::kSuccess : MStatus::kInvalidParameter;
    if (status)
        *status = s;
    return s;
}

MMatrix translation(double x, double y, double z)
{
    MMatrix m;
    m.matrix[3][0] = x;
    m.matrix[3][1] = y;
    m.matrix[3][2] = z;
    return m;
}

// A part of the transformation read or replaced in an accepted space.
template <class T>
T getPart(const T& part, MSpace::Space space, MStatus* status, const T& none)
{
    return report(status, spaceOk(space)) ? part : none;
}

template <class T>
MStatus setPart(T& part, const T& value, MSpace::Space space)
{
    if (!spaceOk(space))
        return MStatus::kInvalidParameter;
    part = value;
    return MStatus::kSuccess;
}

const MPoint kNoPoint(0.0, 0.0, 0.0);

bool validOrder(MTransformationMatrix::RotationOrder order)
{
    return order >= MTransformationMatrix::kXYZ && order <= MTransformationMatrix::kZYX;
}

} // namespace

MTransformationMatrix::MTransformationMatrix(const MMatrix& m)
{
    *this = m;
}

MTransformationMatrix& MTransformationMatrix::operator=(const MMatrix& m)
{
    const MEulerRotation::RotationOrder order = mRotate.order;
    *this = MTransformationMatrix();
    mTranslate = MVector(m.matrix[3][0], m.matrix[3][1], m.matrix[3][2]);
    double lengths[3];
    for (int i = 0; i < 3; ++i)
        lengths[i] = std::sqrt(m.matrix[i][0] * m.matrix[i][0] + m.matrix[i][1] * m.matrix[i][1] +
                               m.matrix[i][2] * m.matrix[i][2]);
    const double sign = m.det3x3() < 0.0 ? -1.0 : 1.0;
    MMatrix rotation;
    for (int i = 0; i < 3; ++i) {
        mScale[i] = sign * lengths[i];
        for (int c = 0; c < 3; ++c)
            rotation.matrix[i][c] = mScale[i] != 0.0 ? m.matrix[i][c] / mScale[i] : m.matrix[i][c];
    }
    mRotate = MEulerRotation::decompose(rotation, order);
    return *this;
}

MMatrix MTransformationMatrix::asMatrix() const
{
    MMatrix scale;
    for (int i = 0; i < 3; ++i)
        scale.matrix[i][i] = mScale[i];
    const MPoint& sp = mScalePivot;
    const MPoint& rp = mRotatePivot;
    return translation(-sp.x, -sp.y, -sp.z) * scale * translation(sp.x, sp.y, sp.z) *
           translation(mScalePivotTranslate.x, mScalePivotTranslate.y, mScalePivotTranslate.z) *
           translation(-rp.x, -rp.y, -rp.z) * mRotateOrient.asMatrix() * mRotate.asMatrix() *
           mJointOrient.asMatrix() * translation(rp.x, rp.y, rp.z) *
           translation(mRotatePivotTranslate.x, mRotatePivotTranslate.y, mRotatePivotTranslate.z) *
           translation(mTranslate.x, mTranslate.y, mTranslate.z);
}

MVector MTransformationMatrix::getTranslation(MSpace::Space space, MStatus* status) const
{
    return getPart(mTranslate, space, status, MVector());
}

MStatus MTransformationMatrix::setTranslation(const MVector& v, MSpace::Space space)
{
    return setPart(mTranslate, v, space);
}

MEulerRotation MTransformationMatrix::eulerRotation() const
{
    return mRotate;
}

MQuaternion MTransformationMatrix::rotation() const
{
    return mRotate.asQuaternion();
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MEulerRotation& r)
{
    mRotate = r;
    return *this;
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MQuaternion& q)
{
    mRotate = MEulerRotation::decompose(q.asMatrix(), mRotate.order);
    return *this;
}

MStatus MTransformationMatrix::getRotation(double angles[3], RotationOrder& order) const
{
    angles[0] = mRotate.x;
    angles[1] = mRotate.y;
    angles[2] = mRotate.z;
    order = static_cast<RotationOrder>(mRotate.order + 1);
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::setRotation(const double angles[3], RotationOrder order)
{
    if (!validOrder(order))
        return MStatus::kInvalidParameter;
    mRotate = MEulerRotation(angles[0], angles[1], angles[2], static_cast<MEulerRotation::RotationOrder>(order - 1));
    return MStatus::kSuccess;
}

MTransformationMatrix& MTransformationMatrix::rotateBy(const MEulerRotation& r, MSpace::Space space, MStatus* status)
{
    if (!report(status, space == MSpace::kTransform))
        return *this;
    mRotate = MEulerRotation::decompose(r.asMatrix() * mRotate.asMatrix(), mRotate.order);
    return *this;
}

MTransformationMatrix::RotationOrder MTransformationMatrix::rotationOrder(MStatus* status) const
{
    report(status, true);
    return static_cast<RotationOrder>(mRotate.order + 1);
}

MStatus MTransformationMatrix::reorderRotation(RotationOrder order)
{
    if (!validOrder(order))
        return MStatus::kInvalidParameter;
    mRotate = mRotate.reorder(static_cast<MEulerRotation::RotationOrder>(order - 1));
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::getScale(double scale[3], MSpace::Space space) const
{
    if (!spaceOk(space))
        return MStatus::kInvalidParameter;
    for (int i = 0; i < 3; ++i)
        scale[i] = mScale[i];
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::setScale(const double scale[3], MSpace::Space space)
{
    if (!spaceOk(space))
        return MStatus::kInvalidParameter;
    for (int i = 0; i < 3; ++i)
        mScale[i] = scale[i];
    return MStatus::kSuccess;
}

MPoint MTransformationMatrix::scalePivot(MSpace::Space space, MStatus* status) const
{
    return getPart(mScalePivot, space, status, kNoPoint);
}

MStatus MTransformationMatrix::setScalePivot(const MPoint& p, MSpace::Space space)
{
    return setPart(mScalePivot, p, space);
}

MVector MTransformationMatrix::scalePivotTranslation(MSpace::Space space, MStatus* status) const
{
    return getPart(mScalePivotTranslate, space, status, MVector());
}

MStatus MTransformationMatrix::setScalePivotTranslation(const MVector& v, MSpace::Space space)
{
    return setPart(mScalePivotTranslate, v, space);
}

MPoint MTransformationMatrix::rotatePivot(MSpace::Space space, MStatus* status) const
{
    return getPart(mRotatePivot, space, status, kNoPoint);
}

MStatus MTransformationMatrix::setRotatePivot(const MPoint& p, MSpace::Space space)
{
    return setPart(mRotatePivot, p, space);
}

MVector MTransformationMatrix::rotatePivotTranslation(MSpace::Space space, MStatus* status) const
{
    return getPart(mRotatePivotTranslate, space, status, MVector());
}

MStatus MTransformationMatrix::setRotatePivotTranslation(const MVector& v, MSpace::Space space)
{
    return setPart(mRotatePivotTranslate, v, space);
}

MQuaternion MTransformationMatrix::rotateOrientation(MSpace::Space space, MStatus* status) const
{
    return getPart(mRotateOrient, space, status, MQuaternion());
}

MStatus MTransformationMatrix::setRotateOrientation(const MQuaternion& q, MSpace::Space space)
{
    return setPart(mRotateOrient, q, space);
}

bool MTransformationMatrix::isEquivalent(const MTransformationMatrix& o, double tolerance) const
{
    return asMatrix().isEquivalent(o.asMatrix(), tolerance);
}
