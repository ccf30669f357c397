// A WebSocket echo for a node HTTP server's "upgrade" event: enough of RFC 6455 for short text
// and binary messages (no fragments, no extensions). The fixture site's live channel, and the
// round-trip benchmark's floor.
import { createHash } from "node:crypto";

const GUID = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";

function frame(opcode, payload) {
  const length = payload.length;
  const header =
    length < 126
      ? Buffer.from([0x80 | opcode, length])
      : length < 65536
        ? Buffer.from([0x80 | opcode, 126, length >> 8, length & 0xff])
        : null;
  if (!header) throw new Error("the echo sends messages under 64 KB only");
  return Buffer.concat([header, payload]);
}

// Answers the upgrade and sends every message back, prefixed with `prefix` when one is given.
export function acceptEcho(request, socket, head, { prefix = "" } = {}) {
  const key = request.headers["sec-websocket-key"];
  if (!key) {
    socket.end("HTTP/1.1 400 Bad Request\r\n\r\n");
    return;
  }
  const accept = createHash("sha1").update(key + GUID).digest("base64");
  socket.setNoDelay(true);
  socket.write(
    "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n" +
      `Sec-WebSocket-Accept: ${accept}\r\n\r\n`,
  );
  let pending = head && head.length ? Buffer.from(head) : Buffer.alloc(0);
  const readFrames = () => {
    while (pending.length >= 2) {
      const opcode = pending[0] & 0x0f;
      let length = pending[1] & 0x7f;
      let offset = 2;
      if (length === 126) {
        if (pending.length < 4) return;
        length = pending.readUInt16BE(2);
        offset = 4;
      } else if (length === 127) {
        socket.destroy();
        return;
      }
      const masked = (pending[1] & 0x80) !== 0;
      const mask = masked ? pending.subarray(offset, offset + 4) : null;
      if (masked) offset += 4;
      if (pending.length < offset + length) return;
      const payload = Buffer.from(pending.subarray(offset, offset + length));
      if (mask) for (let i = 0; i < payload.length; i++) payload[i] ^= mask[i % 4];
      pending = pending.subarray(offset + length);
      if (opcode === 0x8) {
        socket.end(frame(0x8, Buffer.alloc(0)));
        return;
      }
      if (opcode === 0x9) socket.write(frame(0xa, payload));
      if (opcode === 0x1) socket.write(frame(0x1, Buffer.concat([Buffer.from(prefix), payload])));
      if (opcode === 0x2) socket.write(frame(0x2, payload));
    }
  };
  socket.on("data", (chunk) => {
    pending = Buffer.concat([pending, chunk]);
    readFrames();
  });
  socket.on("error", () => socket.destroy());
  readFrames();
}
