<?php
// Second server of the stand-in: PHP's own multipart parser. The front server forwards the
// raw body here and records what PHP made of it, as key=hex lines.
require __DIR__ . '/standin_lib.php';

$out = record_line('parsed.post_order', implode(',', array_keys($_POST)));
foreach ($_POST as $name => $value) {
    $out .= record_line("parsed.post.$name", is_array($value) ? json_encode($value) : $value);
}
$out .= record_line('parsed.file_order', implode(',', array_keys($_FILES)));
foreach ($_FILES as $name => $file) {
    $out .= record_line("parsed.file.$name.name", (string)$file['name']);
    $out .= record_line("parsed.file.$name.type", (string)$file['type']);
    $out .= record_line("parsed.file.$name.error", (string)$file['error']);
    $out .= record_line("parsed.file.$name.size", (string)$file['size']);
    $tmp = $file['tmp_name'];
    $out .= record_line("parsed.file.$name.md5", is_uploaded_file($tmp) ? md5_file($tmp) : '');
}
header('Content-Type: text/plain');
echo $out;
