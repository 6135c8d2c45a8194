<?php
// Front server of the stand-in Quillbank service ("php -S ... router.php", started by
// standin.sh with enable_post_data_reading off so the raw body stays readable):
//   /publish.php           login (request type 1) and publication (type 2)
//   /recorder-update.php   the update query's key=value reply (<state>/update_reply replaces it),
//                          with the signatures of the update it offers
//   /crash-report.php      a minidump collector: keeps the "upload_file_minidump" part in
//                          <state>/crash_reports/ and answers with a crash id
//   /files/NAME            files the tests put into <state>/files
// Every request is recorded as <state>/requests/NNNN.txt (key=hex lines) before the reply,
// and <state>/behaviour can make the service misbehave (see reply_with_behaviour);
// <state>/behaviour.update and <state>/behaviour.files, when present, apply instead to the
// update query and to /files/ alone, so that a test can slow a download but not the query.
require __DIR__ . '/standin_lib.php';

$dir = standin_dir();
$path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
$body = file_get_contents('php://input');
$record = record_line('method', $_SERVER['REQUEST_METHOD'])
    . record_line('path', $path)
    . record_line('query', $_SERVER['QUERY_STRING'] ?? '')
    . record_line('remote_addr', $_SERVER['REMOTE_ADDR'])
    . record_line('user_agent', $_SERVER['HTTP_USER_AGENT'] ?? '')
    . record_line('via', $_SERVER['HTTP_VIA'] ?? '')
    . record_line('content_type', $_SERVER['CONTENT_TYPE'] ?? '')
    . record_line('content_length', (string)strlen($body))
    // How the body was framed, as the client announced it.
    . record_line('content_length_header', $_SERVER['CONTENT_LENGTH'] ?? $_SERVER['HTTP_CONTENT_LENGTH'] ?? '')
    . record_line('transfer_encoding', $_SERVER['HTTP_TRANSFER_ENCODING'] ?? '')
    . record_line('expect', $_SERVER['HTTP_EXPECT'] ?? '');

$lean = standin_behaviour($dir)[0] === 'lean';
if ($path === '/publish.php') {
    [$fields, $files, $raw] = analyse_multipart($body, $_SERVER['CONTENT_TYPE'] ?? '', $lean);
    $record .= $raw;
    if (!$lean) $record .= parse_with_php($body, $_SERVER['CONTENT_TYPE'] ?? '');
    $reply = publish_reply($dir, $fields, $files, $lean);
} elseif ($path === '/crash-report.php') {
    [$fields, $files, $raw] = analyse_multipart($body, $_SERVER['CONTENT_TYPE'] ?? '', false);
    $record .= $raw;
    $reply = crash_report_reply($dir, $files);
} elseif ($path === '/recorder-update.php') {
    $reply = update_reply($dir);
    $behaviour = standin_behaviour($dir, 'behaviour.update');
} elseif (strncmp($path, '/files/', 7) === 0 && is_file($dir . '/files/' . basename($path))) {
    $reply = [200, file_get_contents($dir . '/files/' . basename($path))];
    $behaviour = standin_behaviour($dir, 'behaviour.files');
} else {
    $reply = [404, "no such page\n"];
}
write_record($dir, $record);
reply_with_behaviour($behaviour ?? standin_behaviour($dir), $reply);

// The parts of a multipart body as they stand on the wire, in their order.
function analyse_multipart(string $body, string $contentType, bool $lean): array {
    $fields = [];
    $files = [];
    $out = '';
    if (!preg_match('/boundary=(?:"([^"]+)"|([^;\s]+))/i', $contentType, $m)) return [$fields, $files, $out];
    $delimiter = '--' . ($m[1] !== '' ? $m[1] : $m[2]);
    $order = [];
    $pos = strpos($body, $delimiter);
    for ($i = 0; $pos !== false; $i++) {
        $pos += strlen($delimiter);
        if (substr($body, $pos, 2) !== "\r\n") break;  // "--" closes the body
        $headerEnd = strpos($body, "\r\n\r\n", $pos + 2);
        if ($headerEnd === false) break;
        $headers = substr($body, $pos + 2, $headerEnd - $pos - 2);
        $start = $headerEnd + 4;
        $next = strpos($body, "\r\n" . $delimiter, $start);
        if ($next === false) break;
        $content = substr($body, $start, $next - $start);
        $name = preg_match('/\bname="([^"]*)"/i', $headers, $n) ? $n[1] : '';
        $order[] = $name;
        $out .= record_line("raw.$i.headers", $headers) . record_line("raw.$i.name", $name)
            . record_line("raw.$i.size", (string)strlen($content)) . record_line("raw.$i.md5", md5($content));
        if (preg_match('/\bfilename="([^"]*)"/i', $headers, $f)) {
            $out .= record_line("raw.$i.filename", $f[1]);
            $files[$name] = ['filename' => $f[1], 'content' => $lean ? '' : $content, 'size' => strlen($content)];
        } else {
            $out .= record_line("raw.$i.value", $content);
            $fields[$name] = $content;
        }
        if (preg_match('/^Content-Type:\s*(.*)$/mi', $headers, $t)) $out .= record_line("raw.$i.content_type", trim($t[1]));
        $pos = $next + 2;
    }
    return [$fields, $files, $out . record_line('raw.part_order', implode(',', $order))];
}

// What PHP's own multipart parser makes of the same body (the second server, form_parser.php).
function parse_with_php(string $body, string $contentType): string {
    $context = stream_context_create(['http' => [
        'method' => 'POST', 'header' => "Content-Type: $contentType\r\n", 'content' => $body,
        'ignore_errors' => true, 'timeout' => 60]]);
    $parsed = @file_get_contents('http://127.0.0.1:' . getenv('QB_STANDIN_PARSER_PORT') . '/', false, $context);
    return $parsed === false ? record_line('parsed.error', 'form parser unreachable') : $parsed;
}

function find_account(array $fields): ?array {
    foreach (standin_data()['accounts'] as $account) {
        if ($account['login'] === ($fields['login_name'] ?? null) && $account['password'] === ($fields['password'] ?? null))
            return $account;
    }
    return null;
}

function publish_reply(string $dir, array $fields, array $files, bool $lean): array {
    $account = find_account($fields);
    if ($account === null) return [200, "FAIL Wrong login name or password\r\n"];
    $type = $fields['request_type'] ?? '';
    if ($type === '1') {
        $reply = "OK\r\n";
        foreach ($account['podcasts'] as $podcast) $reply .= "{$podcast['id']} {$podcast['site']} {$podcast['name']}\r\n";
        return [200, $reply];
    }
    if ($type !== '2') return [200, "FAIL Unknown request type\r\n"];
    $ids = array_map(fn($p) => (string)$p['id'], $account['podcasts']);
    if (!in_array($fields['podcast_id'] ?? '', $ids, true)) return [200, "FAIL Unknown podcast\r\n"];
    $file = $files['audio_file'] ?? null;
    if ($file === null) return [200, "FAIL No audio file\r\n"];
    if ((string)$file['size'] !== ($fields['audio_file_size'] ?? '')) return [200, "FAIL Audio file size mismatch\r\n"];
    if (!$lean) {
        @mkdir($dir . '/uploads', 0777, true);
        file_put_contents($dir . '/uploads/' . basename(str_replace('\\', '/', $file['filename'])), $file['content']);
    }
    return [200, "OK\r\n"];
}

// As the Breakpad and Crashpad collectors answer: the id given to the report, or a 400.
function crash_report_reply(string $dir, array $files): array {
    $dump = $files['upload_file_minidump'] ?? null;
    if ($dump === null) return [400, "missing upload_file_minidump\n"];
    @mkdir("$dir/crash_reports", 0777, true);
    file_put_contents("$dir/crash_reports/" . basename(str_replace('\\', '/', $dump['filename'])), $dump['content']);
    return [200, 'CrashID=bp-' . substr(md5($dump['content']), 0, 16) . "\n"];
}

// The data file's pairs, or the text of <state>/update_reply when a test put one there;
// "{host}" stands for the service's own host:port. An offered archive is signed as the real
// service signs it, in both forms: "update_signature" over the offered version with the
// archive (the message is described in recorder_app/service/update/update_reply.h), which this
// program requires, and "signature" over the archive alone, which programs installed before
// that read. A key the reply has already is left as it is; <state>/update_unsigned leaves out
// the keys it names, one a line, or both when it names none.
function update_reply(string $dir): array {
    $reply = '';
    if (is_file("$dir/update_reply")) {
        $reply = file_get_contents("$dir/update_reply");
    } else {
        foreach (standin_data()['update'] as $key => $value) $reply .= "$key=$value\r\n";
    }
    $reply = str_replace('{host}', $_SERVER['HTTP_HOST'] ?? '', $reply);
    $unsigned = null;
    if (is_file("$dir/update_unsigned")) {
        $unsigned = preg_split('/\s+/', file_get_contents("$dir/update_unsigned"), -1, PREG_SPLIT_NO_EMPTY);
        if ($unsigned === []) $unsigned = ['update_signature', 'signature'];
    }
    $signatures = update_signatures($dir, $reply);
    foreach (['update_signature', 'signature'] as $key) {
        if (!isset($signatures[$key]) || in_array($key, $unsigned ?? [], true) || reply_value($reply, $key) !== null)
            continue;
        $reply = rtrim($reply, "\r\n") . "\r\n$key=" . $signatures[$key] . "\r\n";
    }
    return [200, $reply];
}

// The value of a key of the reply as the program reads it: lines end at any run of CR and LF,
// key and value are the text around the line's first "=" with blanks trimmed, and the first
// occurrence counts. Null when the key is absent.
function reply_value(string $reply, string $key): ?string {
    foreach (preg_split('/[\r\n]+/', $reply, -1, PREG_SPLIT_NO_EMPTY) as $line) {
        $equals = strpos($line, '=');
        $name = trim($equals === false ? $line : substr($line, 0, $equals), " \t\v\f");
        if ($name === $key) return $equals === false ? '' : trim(substr($line, $equals + 1), " \t\v\f");
    }
    return null;
}

// The base64 Ed25519 signatures of the archive that the reply's file_location names among
// <state>/files, with the private key in $QB_UPDATE_SIGNING_KEY (made by make_update_key.php):
// "update_signature" of the version, a line feed and the archive's SHA-512; "signature" of the
// archive's bytes. None without the key or the archive.
function update_signatures(string $dir, string $reply): array {
    $keyFile = getenv('QB_UPDATE_SIGNING_KEY');
    if ($keyFile === false || $keyFile === '' || !is_file($keyFile)) return [];
    $location = reply_value($reply, 'file_location');
    if ($location === null || !preg_match('~/files/([^/?]+)$~', $location, $m)) return [];
    $archive = "$dir/files/" . basename($m[1]);
    if (!is_file($archive)) return [];
    $secret = hex2bin(trim(file_get_contents($keyFile)));
    $bytes = file_get_contents($archive);
    $signatures = ['signature' => base64_encode(sodium_crypto_sign_detached($bytes, $secret))];
    $version = reply_value($reply, 'current_version');
    if ($version !== null) {
        $message = $version . "\n" . hash('sha512', $bytes, true);
        $signatures['update_signature'] = base64_encode(sodium_crypto_sign_detached($message, $secret));
    }
    return $signatures;
}

function write_record(string $dir, string $record): void {
    // Written aside and renamed, so a test that polls never reads half a record.
    $path = next_record_path($dir);
    file_put_contents("$path.part", $record);
    rename("$path.part", $path);
}

// normal | lean                    the service's own reply (lean: no parser, nothing stored)
// reply STATUS HEXBODY             exactly this status and body
// garbage BYTES                    that many bytes of fixed pseudo-random noise
// zeros BYTES HEXPREFIX            the prefix, then zero bytes
// long_line BYTES HEXPREFIX        the prefix, then one line of BYTES "x"
// hang SECONDS                     the normal reply after a pause (at most a minute)
// slow BYTES_PER_SECOND            the normal reply with its length, trickled at that pace
// truncate BYTES                   the normal reply's status and length, but only BYTES of
//                                  its body before the connection is dropped
// endless                          status 200 and zero bytes without a length, until the
//                                  client goes away (at most 1 GiB)
// redirect STATUS LOCATION          that status with a Location header and a short body
function reply_with_behaviour(array $behaviour, array $normal): void {
    [$status, $body] = $normal;
    $arg = fn(int $i, string $default = '') => $behaviour[$i] ?? $default;
    switch ($behaviour[0]) {
        case 'redirect':
            http_response_code((int)$arg(1, '302'));
            header('Location: ' . $arg(2));
            echo "moved\n";
            return;
        case 'slow':
        case 'truncate':
            http_response_code($status);
            header('Content-Length: ' . strlen($body));
            $rate = max(1, (int)$arg(1, '1'));
            if ($behaviour[0] === 'truncate') {
                echo substr($body, 0, $rate);
                flush();
                exit;  // the server closes the connection with the body incomplete
            }
            // Ten pieces a second; a client that went away ends the script at the next write.
            $piece = max(1, intdiv($rate, 10));
            for ($at = 0; $at < strlen($body); $at += $piece) {
                echo substr($body, $at, $piece);
                flush();
                if (connection_aborted()) return;
                usleep(100000);
            }
            return;
        case 'endless':
            http_response_code(200);
            $zeros = str_repeat("\0", 1 << 20);
            for ($sent = 0; $sent < 1024 && !connection_aborted(); $sent++) {
                echo $zeros;
                flush();
            }
            return;
        case 'reply':
            $status = (int)$arg(1, '200');
            $body = hex2bin($arg(2));
            break;
        case 'garbage':
            mt_srand(20061);
            $body = '';
            for ($n = (int)$arg(1); strlen($body) < $n;) $body .= pack('N', mt_rand());
            $body = substr($body, 0, (int)$arg(1));
            break;
        case 'zeros':
            $body = hex2bin($arg(2)) . str_repeat("\0", (int)$arg(1));
            break;
        case 'long_line':
            $body = hex2bin($arg(2)) . str_repeat('x', (int)$arg(1)) . "\r\n";
            break;
        case 'hang':
            sleep(min(60, (int)$arg(1, '60')));
            break;
    }
    http_response_code($status);
    header('Content-Type: text/plain; charset=utf-8');
    // As a real server announces a file's size (PHP's own server would send none).
    header('Content-Length: ' . strlen($body));
    echo $body;
}
