#include "plinth/PlinthDataObject.h"

#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace plinth {

namespace {

const QString kRtfMime = QStringLiteral("text/rtf");

} // namespace

PlinthDataObject::PlinthDataObject() : m_owned(std::make_unique<QMimeData>()) {
    m_view = m_owned.get();
}

PlinthDataObject::PlinthDataObject(const QMimeData* data) : m_view(data) {}

PlinthDataObject::~PlinthDataObject() = default;

bool PlinthDataObject::isWritable() const {
    return m_owned != nullptr;
}

bool PlinthDataObject::GetFormat(int format) const {
    if (m_view == nullptr) {
        return false;
    }
    switch (format) {
    case kFormatText:
        return m_view->hasText();
    case kFormatRtf:
        return m_view->hasFormat(kRtfMime);
    case kFormatBitmap:
    case kFormatDib:
        return m_view->hasImage();
    case kFormatFiles:
        return !Files().isEmpty();
    default:
        return false;
    }
}

QVariant PlinthDataObject::GetData(int format) const {
    if (!GetFormat(format)) {
        return {};
    }
    switch (format) {
    case kFormatText:
        return m_view->text();
    case kFormatRtf:
        return QString::fromUtf8(m_view->data(kRtfMime));
    case kFormatBitmap:
    case kFormatDib:
        return m_view->imageData();
    case kFormatFiles:
        return Files();
    default:
        return {};
    }
}

bool PlinthDataObject::SetData(const QVariant& value, int format) {
    if (!m_owned) {
        return false;
    }
    switch (format) {
    case kFormatText:
        m_owned->setText(value.toString());
        return true;
    case kFormatRtf:
        m_owned->setData(kRtfMime, value.toString().toUtf8());
        return true;
    case kFormatBitmap:
    case kFormatDib: {
        const QImage image = value.value<QImage>();
        if (image.isNull()) {
            return false;
        }
        m_owned->setImageData(image);
        return true;
    }
    case kFormatFiles: {
        QList<QUrl> urls = m_owned->urls();
        const QStringList paths = value.typeId() == QMetaType::QStringList
                                      ? value.toStringList()
                                      : QStringList{value.toString()};
        for (const QString& path : paths) {
            urls.append(QUrl::fromLocalFile(path));
        }
        m_owned->setUrls(urls);
        return true;
    }
    default:
        return false;
    }
}

bool PlinthDataObject::Clear() {
    if (!m_owned) {
        return false;
    }
    m_owned->clear();
    return true;
}

QStringList PlinthDataObject::Files() const {
    QStringList files;
    if (m_view == nullptr || !m_view->hasUrls()) {
        return files;
    }
    for (const QUrl& url : m_view->urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

bool PlinthDataObject::isEmpty() const {
    return m_view == nullptr || m_view->formats().isEmpty();
}

const QMimeData* PlinthDataObject::mimeData() const {
    return m_view;
}

std::unique_ptr<QMimeData> PlinthDataObject::takeMimeData() {
    m_view = nullptr;
    return std::move(m_owned);
}

} // namespace plinth
