<?php
// Shared helpers of the stand-in service: where its state lives and how it records.

function standin_dir(): string {
    $dir = getenv('QB_STANDIN_DIR');
    if ($dir === false || $dir === '') {
        http_response_code(500);
        exit("stand-in started without QB_STANDIN_DIR\n");
    }
    return $dir;
}

function standin_data(): array {
    return json_decode(file_get_contents(__DIR__ . '/standin_data.json'), true);
}

// Every value of a record is hex, so any bytes survive the trip to the tests.
function record_line(string $key, string $value): string {
    return $key . '=' . bin2hex($value) . "\n";
}

function next_record_path(string $dir): string {
    $records = $dir . '/requests';
    if (!is_dir($records)) mkdir($records, 0777, true);
    $n = count(glob($records . '/*.txt')) + 1;
    return sprintf('%s/%04d.txt', $records, $n);
}

// The misbehaviour the tests asked for: the first line of <state>/behaviour (or of the file
// named), split at spaces; a named file that is absent leaves <state>/behaviour in force.
function standin_behaviour(string $dir, string $name = 'behaviour'): array {
    if ($name !== 'behaviour' && !is_file("$dir/$name")) $name = 'behaviour';
    $file = "$dir/$name";
    if (!is_file($file)) return ['normal'];
    $line = trim(strtok(file_get_contents($file), "\n"));
    return $line === '' ? ['normal'] : explode(' ', $line);
}
