<?php
// A server that drops every connection in the middle of the upload: it reads the request
// head and a little of the body, then closes without a reply. Port in argv[1].
$server = stream_socket_server('tcp://127.0.0.1:' . $argv[1], $errno, $error);
if ($server === false) {
    fwrite(STDERR, "drop server: $error\n");
    exit(1);
}
const BODY_BYTES_BEFORE_DROP = 32768;
while ($client = @stream_socket_accept($server, -1)) {
    stream_set_timeout($client, 5);
    $received = '';
    // Head first; a client that waits for "100 Continue" sends its body after a second.
    while (!feof($client) && strlen($received) < 1 << 20) {
        $chunk = fread($client, 8192);
        if ($chunk === false || $chunk === '') break;
        $received .= $chunk;
        $headEnd = strpos($received, "\r\n\r\n");
        if ($headEnd !== false && strlen($received) - $headEnd - 4 >= BODY_BYTES_BEFORE_DROP) break;
    }
    fclose($client);
}
