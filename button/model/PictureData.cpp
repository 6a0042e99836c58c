#include "model/PictureData.h"

#include <QBuffer>

namespace plinth {

std::optional<PictureData> PictureData::fromData(const QByteArray& data) {
    PictureData picture;
    if (data.isEmpty()) {
        return picture;
    }
    if (!picture.m_image.loadFromData(data) || picture.m_image.isNull()) {
        return std::nullopt;
    }
    picture.m_data = data;
    return picture;
}

PictureData PictureData::fromImage(const QImage& image) {
    PictureData picture;
    if (image.isNull()) {
        return picture;
    }
    QBuffer buffer(&picture.m_data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    picture.m_image = image;
    return picture;
}

} // namespace plinth
