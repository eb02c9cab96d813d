#include "Manifest.h"

#include <cmath>
#include <utility>

namespace skingen {

namespace {

// A JSON value whose object keys keep the order they were added in (Qt's JSON
// classes sort them), written by hand so that the manifest reads like the
// reference.
class Node {
public:
    static Node Scalar(QString text) {
        Node node;
        node.text_ = std::move(text);
        return node;
    }
    static Node Object() {
        Node node;
        node.kind_ = Kind::Object;
        return node;
    }
    static Node Array() {
        Node node;
        node.kind_ = Kind::Array;
        return node;
    }
    Node& Add(const QString& key, Node value) {
        members_.emplace_back(key, std::move(value));
        return *this;
    }
    Node& Append(Node value) {
        members_.emplace_back(QString(), std::move(value));
        return *this;
    }

    // The value written at `column` of a line indented by `indent`: on that
    // one line where it fits in 100 columns, else one member a line.
    QString Written(int indent, int column) const {
        const QString inlined = inlineText();
        if (kind_ == Kind::Scalar || column + inlined.size() < kLineLength)
            return inlined;
        const QString inner(indent + 2, QLatin1Char(' '));
        QString text = kind_ == Kind::Object ? QStringLiteral("{\n") : QStringLiteral("[\n");
        for (size_t i = 0; i < members_.size(); ++i) {
            const auto& [key, value] = members_[i];
            const QString lead = inner + (kind_ == Kind::Object ? quoted(key) + ": " : QString());
            text += lead + value.Written(indent + 2, int(lead.size()));
            text += i + 1 < members_.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        return text + QString(indent, QLatin1Char(' ')) + (kind_ == Kind::Object ? "}" : "]");
    }

private:
    enum class Kind { Scalar, Object, Array };
    static constexpr int kLineLength = 100;

    static QString quoted(const QString& text) { return '"' + text + '"'; }

    QString inlineText() const {
        if (kind_ == Kind::Scalar)
            return text_;
        QStringList parts;
        for (const auto& [key, value] : members_)
            parts << (kind_ == Kind::Object ? quoted(key) + ": " : QString()) + value.inlineText();
        if (kind_ == Kind::Array)
            return '[' + parts.join(QStringLiteral(", ")) + ']';
        return parts.isEmpty() ? QStringLiteral("{}")
                               : "{ " + parts.join(QStringLiteral(", ")) + " }";
    }

    Kind kind_ = Kind::Scalar;
    QString text_;
    std::vector<std::pair<QString, Node>> members_;
};

Node string(const QString& text) {
    QString escaped = text;
    escaped.replace('\\', QStringLiteral("\\\\")).replace('"', QStringLiteral("\\\""));
    return Node::Scalar('"' + escaped + '"');
}

Node number(double value) {
    return Node::Scalar(QString::number(value, 'g', 10));
}

Node colour(QRgb value) {
    return string(ColourName(value));
}

Node boolean(bool value) {
    return Node::Scalar(value ? QStringLiteral("true") : QStringLiteral("false"));
}

Node numbers(std::initializer_list<int> values) {
    Node array = Node::Array();
    for (const int value : values)
        array.Append(number(value));
    return array;
}

Node rect(const QRect& r) {
    return numbers({r.left(), r.top(), r.width(), r.height()});
}

Node font(const FontData& f) {
    Node families = Node::Array();
    for (const QString& family : f.families)
        families.Append(string(family));
    Node node = Node::Object();
    node.Add("family", families).Add("size", number(f.size));
    if (f.bold)
        node.Add("bold", boolean(true));
    if (f.italic)
        node.Add("italic", boolean(true));
    return node;
}

Node text(const TextData& t) {
    Node node = Node::Object();
    node.Add("rect", rect(t.rect)).Add("colour", colour(t.colour)).Add("font", font(t.font));
    if (!t.align.isEmpty())
        node.Add("align", string(t.align));
    return node;
}

Node dock(const DockData& d) {
    return Node::Object().Add("x", number(d.x)).Add("gap", number(d.gap));
}

Node buttons(const std::vector<ButtonData>& list) {
    Node array = Node::Array();
    for (const ButtonData& b : list) {
        Node node = Node::Object();
        node.Add("command", string(b.command));
        if (!b.name.isEmpty())
            node.Add("name", string(b.name));
        node.Add("rect", rect(b.rect)).Add("picture", string(b.picture));
        if (!b.pressed.isEmpty())
            node.Add("pressed", string(b.pressed));
        if (!b.active.isEmpty())
            node.Add("active", string(b.active));
        array.Append(node);
    }
    return array;
}

// A slider's colours and sizes, after whatever the caller added first.
Node& addSlider(Node& node, const SliderData& s) {
    node.Add("track", colour(s.track))
        .Add("border", colour(s.border))
        .Add("thumb", colour(s.thumb))
        .Add("thumbHover", colour(s.thumbHover));
    if (s.endWidth > 0)
        node.Add("ends", colour(s.ends)).Add("endWidth", number(s.endWidth));
    return node.Add("disabledTrack", colour(s.disabledTrack))
        .Add("disabledBorder", colour(s.disabledBorder))
        .Add("disabledThumb", colour(s.disabledThumb))
        .Add("marks", colour(s.marks))
        .Add("thumbMinWidth", number(s.thumbMinWidth))
        .Add("thumbRadius", number(s.thumbRadius));
}

Node menu(const MenuData& m) {
    return Node::Object()
        .Add("background", colour(m.background))
        .Add("text", colour(m.text))
        .Add("border", colour(m.border))
        .Add("selectedBackground", colour(m.selectedBackground))
        .Add("selectedText", colour(m.selectedText))
        .Add("disabledText", colour(m.disabledText))
        .Add("separator", colour(m.separator));
}

Node notice(const NoticeData& n) {
    return Node::Object()
        .Add("background", colour(n.background))
        .Add("text", colour(n.text))
        .Add("border", colour(n.border))
        .Add("font", font(n.font));
}

Node mainWindow(const MainData& m) {
    Node seekBar = Node::Object();
    seekBar.Add("left", number(m.seekBarLeft))
        .Add("gap", number(m.seekBarGap))
        .Add("height", number(m.seekBarHeight));
    addSlider(seekBar, m.seekBar);
    Node main = Node::Object()
                    .Add("background", colour(m.background))
                    .Add("tile", string(m.tile))
                    .Add("display", rect(m.display))
                    .Add("extra", numbers({m.extra.width(), m.extra.height()}))
                    .Add("seekBar", seekBar)
                    .Add("text", colour(m.text))
                    .Add("font", font(m.font));
    if (m.borderWidth > 0) {
        main.Add("border", colour(m.border)).Add("borderWidth", number(m.borderWidth));
    }
    return main;
}

Node titleStrip(const TitleStripData& t, const QString& key) {
    return Node::Object()
        .Add("picture", string(t.picture))
        .Add("key", string(key))
        .Add("title", text(t.title))
        .Add("dock", dock(t.dock));
}

Node toolbar(const ToolbarData& t, const QString& key) {
    return Node::Object()
        .Add("picture", string(t.picture))
        .Add("key", string(key))
        .Add("buttons", buttons(t.buttons))
        .Add("time", text(t.time))
        .Add("dock", dock(t.dock));
}

Node playlist(const PlaylistData& p, const QString& key) {
    return Node::Object()
        .Add("top", string(p.top))
        .Add("middle", string(p.middle))
        .Add("bottom", string(p.bottom))
        .Add("key", string(key))
        .Add("list", Node::Object()
                         .Add("left", number(p.listLeft))
                         .Add("top", number(p.listTop))
                         .Add("width", number(p.listWidth))
                         .Add("bottom", number(p.listBottom)))
        .Add("total", rect(p.total))
        .Add("marks", rect(p.marks))
        .Add("grip", rect(p.grip))
        .Add("colours", Node::Object()
                            .Add("text", colour(p.text))
                            .Add("playing", colour(p.playing))
                            .Add("missing", colour(p.missing))
                            .Add("selection", colour(p.selection))
                            .Add("background", colour(p.background))
                            .Add("scrollBar", colour(p.scrollBar)))
        .Add("font", font(p.font))
        .Add("summaryFont", font(p.summaryFont))
        .Add("dock", dock(p.dock));
}

Node bar(const BarData& b, const QString& key) {
    Node seekBar = Node::Object();
    seekBar.Add("rect", rect(b.seekBar.rect));
    addSlider(seekBar, b.seekBar);
    Node volume = Node::Object();
    volume.Add("rect", rect(b.volume.rect));
    addSlider(volume, b.volume);
    return Node::Object()
        .Add("left", string(b.left))
        .Add("middle", string(b.middle))
        .Add("right", string(b.right))
        .Add("key", string(key))
        .Add("margin", number(b.margin))
        .Add("bottom", number(b.bottom))
        .Add("buttons", buttons(b.buttons))
        .Add("time", text(b.time))
        .Add("seekBar", seekBar)
        .Add("volume", volume);
}

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb c) {
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

} // namespace

QString ColourName(QRgb colour) {
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QLatin1Char('0'));
}

QRect OnBar(const QRect& rect, int width) {
    const int left = rect.left() < 0 ? width + rect.left() : rect.left();
    const int w = rect.width() < 0 ? width + rect.width() - left : rect.width();
    return {left, rect.top(), w, rect.height()};
}

double ContrastRatio(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QByteArray ManifestJson(const SkinData& skin) {
    Node root = Node::Object();
    root.Add("format", number(1)).Add("name", string(skin.name));
    if (!skin.author.isEmpty())
        root.Add("author", string(skin.author));
    root.Add("focus", colour(skin.focus))
        .Add("menu", menu(skin.menu))
        .Add("notice", notice(skin.notice))
        .Add("main", mainWindow(skin.main))
        .Add("titleStrip", titleStrip(skin.titleStrip, skin.key))
        .Add("toolbar", toolbar(skin.toolbar, skin.key))
        .Add("playlist", playlist(skin.playlist, skin.key))
        .Add("fullScreenBar", bar(skin.bar, skin.key));
    return (root.Written(0, 0) + '\n').toUtf8();
}

} // namespace skingen
