// The scene SDK in one include: every public header of the SDK.
#ifndef QELSDK_H
#define QELSDK_H

#endif
