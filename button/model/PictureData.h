// A picture as the button stores it: the encoded bytes exactly as they were given (so a
// saved form gives back what was put in) and the decoded image drawn from them.
#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace plinth {

class PictureData {
public:
    PictureData() = default;

    // Any format the image readers know (PNG, BMP, JPEG, GIF, ICO, ...); empty bytes are no
    // picture. Nothing when the bytes are not a picture.
    static std::optional<PictureData> fromData(const QByteArray& data);
    // Encoded as PNG; a null image is no picture.
    static PictureData fromImage(const QImage& image);

    bool isNull() const { return m_image.isNull(); }
    const QByteArray& data() const { return m_data; }
    const QImage& image() const { return m_image; }

    friend bool operator==(const PictureData& a, const PictureData& b) {
        return a.m_data == b.m_data;
    }

private:
    QByteArray m_data;
    QImage m_image;
};

} // namespace plinth
