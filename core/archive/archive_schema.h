#pragma once
// The tables both engines hold, in each one's dialect. Changing them means a new schema version
// and a migration step appended to the engine's list; an archive is never rebuilt. records and
// lod name their recorder and configuration without foreign keys: a server checks a foreign key
// row by row, which made an add of a full file many times slower; every add writes the three
// in one transaction.

namespace vardo::schema {

// Version 1, SQLite.
inline constexpr const char* kSqliteV1 = R"sql(
CREATE TABLE schema_version (version INTEGER NOT NULL);
CREATE TABLE recorders (
    id INTEGER PRIMARY KEY,
    site TEXT NOT NULL,
    address INTEGER NOT NULL,
    model TEXT NOT NULL,
    UNIQUE (site, address, model));
CREATE TABLE configs (
    id INTEGER PRIMARY KEY,
    interval_code INTEGER NOT NULL,
    interval_seconds INTEGER NOT NULL,
    channel_count INTEGER NOT NULL,
    present INTEGER NOT NULL,
    signature TEXT NOT NULL UNIQUE);
CREATE TABLE config_channels (
    config_id INTEGER NOT NULL REFERENCES configs (id),
    channel INTEGER NOT NULL,
    low_integer INTEGER NOT NULL,
    low_decimals INTEGER NOT NULL,
    high_integer INTEGER NOT NULL,
    high_decimals INTEGER NOT NULL,
    low REAL NOT NULL,
    high REAL NOT NULL,
    PRIMARY KEY (config_id, channel)) WITHOUT ROWID;
CREATE TABLE recorder_configs (
    recorder_id INTEGER NOT NULL REFERENCES recorders (id),
    config_id INTEGER NOT NULL REFERENCES configs (id),
    PRIMARY KEY (recorder_id, config_id)) WITHOUT ROWID;
CREATE TABLE records (
    recorder_id INTEGER NOT NULL,
    t INTEGER NOT NULL,
    config_id INTEGER NOT NULL,
    c1 INTEGER, c2 INTEGER, c3 INTEGER, c4 INTEGER, c5 INTEGER, c6 INTEGER,
    c7 INTEGER, c8 INTEGER, c9 INTEGER, c10 INTEGER, c11 INTEGER, c12 INTEGER,
    PRIMARY KEY (recorder_id, t)) WITHOUT ROWID;
CREATE TABLE sources (
    id INTEGER PRIMARY KEY,
    recorder_id INTEGER REFERENCES recorders (id),
    added_at INTEGER NOT NULL,
    how TEXT NOT NULL,
    path TEXT NOT NULL,
    size INTEGER NOT NULL,
    sha256 TEXT NOT NULL,
    device TEXT NOT NULL,
    host TEXT NOT NULL,
    version TEXT NOT NULL,
    added INTEGER NOT NULL,
    same INTEGER NOT NULL,
    conflicts INTEGER NOT NULL);
CREATE TABLE lod (
    recorder_id INTEGER NOT NULL,
    level INTEGER NOT NULL,
    block INTEGER NOT NULL,
    first INTEGER NOT NULL,
    last INTEGER NOT NULL,
    count INTEGER NOT NULL,
    present INTEGER NOT NULL,
    channels BLOB NOT NULL,
    PRIMARY KEY (recorder_id, level, block)) WITHOUT ROWID;
CREATE VIEW record_values AS
SELECT r.site, r.address, r.model, x.t,
       datetime(x.t, 'unixepoch') AS time,
       cc.channel,
       CASE cc.channel WHEN 1 THEN x.c1 WHEN 2 THEN x.c2 WHEN 3 THEN x.c3 WHEN 4 THEN x.c4
            WHEN 5 THEN x.c5 WHEN 6 THEN x.c6 WHEN 7 THEN x.c7 WHEN 8 THEN x.c8
            WHEN 9 THEN x.c9 WHEN 10 THEN x.c10 WHEN 11 THEN x.c11 ELSE x.c12 END AS raw,
       cc.low + (cc.high - cc.low) *
           (CASE cc.channel WHEN 1 THEN x.c1 WHEN 2 THEN x.c2 WHEN 3 THEN x.c3 WHEN 4 THEN x.c4
                 WHEN 5 THEN x.c5 WHEN 6 THEN x.c6 WHEN 7 THEN x.c7 WHEN 8 THEN x.c8
                 WHEN 9 THEN x.c9 WHEN 10 THEN x.c10 WHEN 11 THEN x.c11 ELSE x.c12 END) / 255.0
           AS value,
       cc.high_decimals AS decimals
FROM records x
JOIN recorders r ON r.id = x.recorder_id
JOIN config_channels cc ON cc.config_id = x.config_id;
INSERT INTO schema_version (version) VALUES (1);
)sql";

// Version 1, PostgreSQL.
inline constexpr const char* kPostgresV1 = R"sql(
CREATE TABLE schema_version (version integer NOT NULL);
CREATE TABLE recorders (
    id bigserial PRIMARY KEY,
    site text NOT NULL,
    address integer NOT NULL,
    model text NOT NULL,
    UNIQUE (site, address, model));
CREATE TABLE configs (
    id bigserial PRIMARY KEY,
    interval_code integer NOT NULL,
    interval_seconds integer NOT NULL,
    channel_count integer NOT NULL,
    present integer NOT NULL,
    signature text NOT NULL UNIQUE);
CREATE TABLE config_channels (
    config_id bigint NOT NULL REFERENCES configs (id),
    channel integer NOT NULL,
    low_integer integer NOT NULL,
    low_decimals integer NOT NULL,
    high_integer integer NOT NULL,
    high_decimals integer NOT NULL,
    low double precision NOT NULL,
    high double precision NOT NULL,
    PRIMARY KEY (config_id, channel));
CREATE TABLE recorder_configs (
    recorder_id bigint NOT NULL REFERENCES recorders (id),
    config_id bigint NOT NULL REFERENCES configs (id),
    PRIMARY KEY (recorder_id, config_id));
CREATE TABLE records (
    recorder_id bigint NOT NULL,
    t bigint NOT NULL,
    config_id bigint NOT NULL,
    c1 smallint, c2 smallint, c3 smallint, c4 smallint, c5 smallint, c6 smallint,
    c7 smallint, c8 smallint, c9 smallint, c10 smallint, c11 smallint, c12 smallint,
    PRIMARY KEY (recorder_id, t));
CREATE TABLE sources (
    id bigserial PRIMARY KEY,
    recorder_id bigint REFERENCES recorders (id),
    added_at bigint NOT NULL,
    how text NOT NULL,
    path text NOT NULL,
    size bigint NOT NULL,
    sha256 text NOT NULL,
    device text NOT NULL,
    host text NOT NULL,
    version text NOT NULL,
    added bigint NOT NULL,
    same bigint NOT NULL,
    conflicts bigint NOT NULL);
CREATE TABLE lod (
    recorder_id bigint NOT NULL,
    level integer NOT NULL,
    block bigint NOT NULL,
    first bigint NOT NULL,
    last bigint NOT NULL,
    count bigint NOT NULL,
    present integer NOT NULL,
    channels bytea NOT NULL,
    PRIMARY KEY (recorder_id, level, block));
CREATE VIEW record_values AS
SELECT r.site, r.address, r.model, x.t,
       to_timestamp(x.t) AS time,
       cc.channel,
       v.raw,
       cc.low + (cc.high - cc.low) * v.raw / 255.0 AS value,
       cc.high_decimals AS decimals
FROM records x
JOIN recorders r ON r.id = x.recorder_id
JOIN config_channels cc ON cc.config_id = x.config_id
CROSS JOIN LATERAL (SELECT (ARRAY[x.c1, x.c2, x.c3, x.c4, x.c5, x.c6, x.c7, x.c8, x.c9, x.c10,
                                  x.c11, x.c12])[cc.channel]::integer AS raw) v;
INSERT INTO schema_version (version) VALUES (1);
)sql";

}  // namespace vardo::schema
