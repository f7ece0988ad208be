#pragma once

#include <QString>

// The goods log Memo3: outcome lines go on top, the lines describing a found goods at the bottom.
class GoodsLogSink
{
public:
    virtual ~GoodsLogSink() = default;
    virtual int lineCount() const = 0;
    virtual void clear() = 0;
    virtual void insertFirst(const QString& line) = 0;
    virtual void append(const QString& line) = 0;
};
