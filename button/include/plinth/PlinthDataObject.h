// The data of a drag and drop as the button's OLE events hand it to a handler: formats by
// the platform's clipboard-format numbers over Qt's MIME data. During OLEStartDrag the
// handler fills it; during OLEDragOver and OLEDragDrop it reads what is being dragged.
#pragma once

#include "plinth/PlinthExport.h"

#include <QStringList>
#include <QVariant>
#include <memory>

class QMimeData;

namespace plinth {

class PLINTH_EXPORT PlinthDataObject {
public:
    // Clipboard formats (the platform's numbers).
    static constexpr int kFormatText = 1;
    static constexpr int kFormatBitmap = 2;
    static constexpr int kFormatDib = 8;
    static constexpr int kFormatFiles = 15;
    static constexpr int kFormatRtf = -16639;

    // An empty object the holder may fill.
    PlinthDataObject();
    // A view of data being dragged, read-only; `data` must outlive the object.
    explicit PlinthDataObject(const QMimeData* data);
    ~PlinthDataObject();
    PlinthDataObject(const PlinthDataObject&) = delete;
    PlinthDataObject& operator=(const PlinthDataObject&) = delete;

    bool isWritable() const;
    bool GetFormat(int format) const;
    // Text for kFormatText and kFormatRtf, a QImage for the bitmap formats, the file paths
    // (QStringList) for kFormatFiles; an invalid QVariant when the format is absent.
    QVariant GetData(int format) const;
    // False on a read-only object or for a value the format cannot take.
    bool SetData(const QVariant& value, int format);
    bool Clear();
    QStringList Files() const;
    bool isEmpty() const;

    // The data as Qt drags it (the object keeps ownership).
    const QMimeData* mimeData() const;
    // Hands the written data over to a drag.
    std::unique_ptr<QMimeData> takeMimeData();

private:
    std::unique_ptr<QMimeData> m_owned;
    const QMimeData* m_view = nullptr;
};

} // namespace plinth
