# Reads back the texts that X clients draw with the core text requests (SDL's message boxes do),
# through the X RECORD extension. python3-xlib only; knows nothing of the program under test.
import struct
import threading

from Xlib import display as xdisplay
from Xlib.ext import record

# Core request codes of the text requests.
POLY_TEXT8, POLY_TEXT16, IMAGE_TEXT8, IMAGE_TEXT16 = 74, 75, 76, 77


def _decode8(raw):
    return raw.decode("latin-1")


def _decode16(raw):
    # CHAR2B pairs, first byte high: the code point for an ISO 10646 font.
    return "".join(chr(raw[i] << 8 | raw[i + 1]) for i in range(0, len(raw) - 1, 2))


def _text_items(body, wide):
    """The strings of a PolyText request body (after drawable, gc, x, y)."""
    texts, at, unit = [], 0, 2 if wide else 1
    while at + 1 < len(body):
        length = body[at]
        if length == 0:
            break  # padding
        if length == 255:  # a font change: four more bytes
            at += 5
            continue
        raw = body[at + 2:at + 2 + length * unit]
        texts.append(_decode16(raw) if wide else _decode8(raw))
        at += 2 + length * unit
    return texts


def parse_requests(data):
    """(drawable, text) for each core text request in a stream of requests."""
    found, at = [], 0
    while at + 4 <= len(data):
        opcode, detail, length = struct.unpack_from("=BBH", data, at)
        header = 4
        if length == 0:  # BIG-REQUESTS: the length follows as 32 bits
            if at + 8 > len(data):
                break
            length, = struct.unpack_from("=I", data, at + 4)
            header = 8
        size = length * 4
        if size < header:
            break
        request = data[at:at + size]
        if opcode in (POLY_TEXT8, POLY_TEXT16, IMAGE_TEXT8, IMAGE_TEXT16):
            drawable, = struct.unpack_from("=I", request, header)
            body = request[header + 12:]
            if opcode == IMAGE_TEXT8:
                found.append((drawable, _decode8(body[:detail])))
            elif opcode == IMAGE_TEXT16:
                found.append((drawable, _decode16(body[:detail * 2])))
            else:
                for text in _text_items(body, opcode == POLY_TEXT16):
                    found.append((drawable, text))
        at += size
    return found


class TextRecorder:
    """Records the core text requests of every client of a display from start() on."""

    def __init__(self, display_name):
        self._control = xdisplay.Display(display_name)
        self._record = xdisplay.Display(display_name)
        if not self._record.has_extension("RECORD"):
            raise RuntimeError("the X server has no RECORD extension")
        self._lock = threading.Lock()
        self._texts = []
        self._context = self._control.record_create_context(
            0, [record.AllClients],
            [{"core_requests": (POLY_TEXT8, IMAGE_TEXT16), "core_replies": (0, 0),
              "ext_requests": (0, 0, 0, 0), "ext_replies": (0, 0, 0, 0),
              "delivered_events": (0, 0), "device_events": (0, 0), "errors": (0, 0),
              "client_started": False, "client_died": False}])
        self._control.sync()  # the context must exist before the other connection enables it
        self._started = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()
        if not self._started.wait(10):
            raise RuntimeError("X RECORD did not start recording")

    def _run(self):
        self._record.record_enable_context(self._context, self._take)

    def _take(self, reply):
        if reply.category == record.StartOfData:
            self._started.set()
        if reply.category != record.FromClient or reply.client_swapped:
            return
        data = reply.data if isinstance(reply.data, bytes) else bytes(reply.data)
        found = parse_requests(data)
        if found:
            with self._lock:
                self._texts.extend(found)

    def texts(self, drawables=None):
        """Every text drawn so far, in order; only those on the given drawables if named."""
        with self._lock:
            return [t for d, t in self._texts if drawables is None or d in drawables]

    def joined(self):
        """All texts drawn so far as one string: clients draw a line in pieces, often one
        character per request."""
        return "".join(self.texts())

    def clear(self):
        with self._lock:
            self._texts.clear()

    def stop(self):
        self._control.record_disable_context(self._context)
        self._control.sync()
        self._thread.join(5)
        self._control.record_free_context(self._context)
        self._control.close()
        self._record.close()
