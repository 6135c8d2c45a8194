<?php
// A server in front of the service that turns down "Expect: 100-continue", as some servers and
// proxies do, after the body has begun: libcurl sends the body when no answer came within a
// second, this server answers 417 once the first body bytes arrive and reads no further, and
// the client has to send the whole request again without the expectation, on a new
// connection. Requests without the expectation are relayed to the service unchanged.
// Ports in argv: its own, the service's. One connection at a time, as one test makes them.
$server = stream_socket_server('tcp://127.0.0.1:' . $argv[1], $errno, $error);
if ($server === false) {
    fwrite(STDERR, "expect server: $error\n");
    exit(1);
}
// A small receive window: with the refused connection no longer read, the client can have
// only its own send buffer and this much of the body on the way, so it can never finish the
// body there and must start again.
socket_set_option(socket_import_stream($server), SOL_SOCKET, SO_RCVBUF, 65536);
$servicePort = (int)$argv[2];
$refused = null;
while ($client = @stream_socket_accept($server, -1)) {
    stream_set_timeout($client, 30);
    $received = read_until($client, '', fn($r) => strpos($r, "\r\n\r\n") !== false);
    $headEnd = strpos($received, "\r\n\r\n");
    if ($headEnd === false) {
        fclose($client);
        continue;
    }
    $head = substr($received, 0, $headEnd + 4);
    if (preg_match('/^Expect:\s*100-continue/mi', $head)) {
        read_until($client, $received, fn($r) => strlen($r) > strlen($head));
        fwrite($client, "HTTP/1.1 417 Expectation Failed\r\nContent-Length: 0\r\n\r\n");
        // Closing only our side tells the client not to use this connection again; it stays
        // unread until the next request was served.
        stream_socket_shutdown($client, STREAM_SHUT_WR);
        if ($refused !== null) fclose($refused);
        $refused = $client;
        continue;
    }
    $length = preg_match('/^Content-Length:\s*(\d+)/mi', $head, $m) ? (int)$m[1] : 0;
    $request = read_until($client, $received, fn($r) => strlen($r) >= strlen($head) + $length);
    $service = stream_socket_client("tcp://127.0.0.1:$servicePort", $errno, $error, 10);
    if ($service !== false) {
        stream_set_timeout($service, 60);
        fwrite_all($service, $request);
        // The service closes the connection after its reply.
        while (($chunk = fread($service, 65536)) !== false && $chunk !== '') fwrite_all($client, $chunk);
        fclose($service);
    }
    fclose($client);
    if ($refused !== null) fclose($refused);
    $refused = null;
}

// Reads on until $done says the bytes so far are enough, the peer closes or 30 s pass.
function read_until($stream, string $received, callable $done): string {
    while (!$done($received)) {
        $chunk = fread($stream, 65536);
        if ($chunk === false || $chunk === '') break;
        $received .= $chunk;
    }
    return $received;
}

function fwrite_all($stream, string $bytes): void {
    for ($at = 0; $at < strlen($bytes);) {
        $written = fwrite($stream, substr($bytes, $at, 1 << 20));
        if ($written === false || $written === 0) return;
        $at += $written;
    }
}
